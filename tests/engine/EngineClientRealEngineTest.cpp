// EngineClient against the engine DLL of recorder/ and its virtual drives. The engine's own
// faults are its tests'.
#include "engine/BurnEventSink.h"
#include "engine/EngineClient.h"
#include "engine/EngineRefusal.h"
#include "tests/common/WaitUntil.h"
#include "tests/recorder/EngineFixture.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <set>
#include <string_view>

namespace {

// RecordingSink: a BurnEventSink that writes every call as one line of text, its event's name
// and arguments ("RecordingFinished", "TrackStarted t=0 a.wav p=40", "RecordingFailed
// 0x80004005 text"). Thread-safe. An optional hook sees each line after it was logged.
class RecordingSink final : public BurnEventSink {
public:
    Lines Get() const { std::lock_guard lock(mutex_); return lines_; }
    void Clear() { std::lock_guard lock(mutex_); lines_.clear(); }
    // The lines whose event name (first word) keep accepts.
    Lines Get(const std::function<bool(const std::string& name, const std::string& line)>& keep) const {
        Lines out;
        for (const std::string& line : Get())
            if (keep(line.substr(0, line.find(' ')), line)) out.push_back(line);
        return out;
    }
    // The lines of the named events only.
    Lines Only(std::initializer_list<std::string_view> names) const {
        return Get([&](const std::string& name, const std::string&) {
            return std::find(names.begin(), names.end(), name) != names.end();
        });
    }
    std::function<void(const std::string&)> hook;

    HRESULT MediaChanged(bool present) override { return Add("MediaChanged", present); }
    HRESULT DeviceStateChanged(bool ready) override { return Add("DeviceStateChanged", ready); }
    HRESULT EraseStarted() override { return Add("EraseStarted"); }
    HRESULT EraseProgress(std::int32_t percent) override { return Add("EraseProgress", percent); }
    HRESULT DeviceFailure(HRESULT code) override { return Add("DeviceFailure", Hex(code)); }
    HRESULT EraseCompleted() override { return Add("EraseCompleted"); }
    HRESULT RecordingStarted() override { return Add("RecordingStarted"); }
    HRESULT RecordingFailedShort(std::int32_t value) override { return Add("RecordingFailedShort", value); }
    HRESULT StageStarted(std::int32_t stage) override { return Add("StageStarted", stage); }
    HRESULT StageProgress(std::int32_t stage, std::int32_t p1, std::int32_t p2) override { return Add("StageProgress", stage, p1, p2); }
    HRESULT StageEnded(std::int32_t stage) override { return Add("StageEnded", stage); }
    HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) override {
        return Add("StageError", stage, Hex(code), OneLine(text));
    }
    HRESULT TrackStarted(std::int32_t t, const TrackRecord* r, std::int32_t p) override { return Add("TrackStarted", Track(t, r), Percent(p)); }
    HRESULT TrackProgress(std::int32_t t, const TrackRecord* r, std::int32_t p1, std::int32_t p2) override {
        return Add("TrackProgress", Track(t, r), p1, p2);
    }
    HRESULT TrackEnded(std::int32_t t, const TrackRecord* r, std::int32_t p) override { return Add("TrackEnded", Track(t, r), Percent(p)); }
    HRESULT TrackInterrupted(std::int32_t t, const TrackRecord* r) override { return Add("TrackInterrupted", Track(t, r)); }
    HRESULT TrackError(std::int32_t t, const TrackRecord* r, HRESULT code, const std::string& text) override {
        return Add("TrackError", Track(t, r), Hex(code), OneLine(text));
    }
    HRESULT RecordingFailed(HRESULT code, const std::string& text) override { return Add("RecordingFailed", Hex(code), OneLine(text)); }
    HRESULT RecordingCancelled(bool byUser) override { return Add("RecordingCancelled", byUser); }
    HRESULT RecordingFinished() override { return Add("RecordingFinished"); }
    // The controller's slots, which the client never uses.
    HRESULT RunEnded(bool, bool) override { return Add("RunEnded"); }
    HRESULT TrackPreparationStarted() override { return Add("TrackPreparationStarted"); }
    HRESULT CancelRequested(bool*) override { return Add("CancelRequested"); }
    HRESULT TrackPreparationProgress(std::int32_t, const std::string&, std::int32_t) override { return Add("TrackPreparationProgress"); }
    HRESULT TrackAccepted(std::int32_t, const std::string&, std::int32_t) override { return Add("TrackAccepted"); }
    HRESULT TrackRefused(std::int32_t, const std::string&, HRESULT) override { return Add("TrackRefused"); }
    HRESULT TrackPreparationFinished() override { return Add("TrackPreparationFinished"); }

private:
    static std::string Word(const std::string& text) { return text; }
    static std::string Word(std::int32_t value) { return std::to_string(value); }
    static std::string Word(bool value) { return value ? "1" : "0"; }
    static std::string Percent(std::int32_t percent) { return "p=" + std::to_string(percent); }
    // "t=<index> <file name of the record>", "-" for a missing record.
    static std::string Track(std::int32_t track, const TrackRecord* record) {
        return "t=" + std::to_string(track) + " " + (record ? record->path.substr(record->path.find_last_of("\\/") + 1) : "-");
    }
    static std::string OneLine(std::string text) {
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, '|');
        return text;
    }
    template <class... Words>
    HRESULT Add(const char* name, const Words&... words) {
        const std::string line = (std::string(name) + ... + (" " + Word(words)));
        std::unique_lock lock(mutex_);
        lines_.push_back(line);
        lock.unlock();
        if (hook) hook(line);
        return S_OK;
    }

    mutable std::mutex mutex_;
    Lines lines_;
};

class RealEngineTest : public EngineFixture {
protected:
    RecordingSink sink;
    EngineClientPtr client; // released before the sink and the folder

    HRESULT Connect(const std::string& config) {
        UseConfig(config);
        client = EngineClientPtr::Attach(new EngineClient);
        client->SetEventSink(&sink);
        return client->Initialize("engine client tests", 0);
    }
    void AddTracks(const std::vector<std::pair<std::string, double>>& files) {
        for (const auto& [name, seconds] : files) {
            LONG index = -1;
            const HRESULT hr = client->AddTrack(Wav(name, seconds), &index);
            ASSERT_EQ(hr, S_OK) << name << ": " << Hex(hr);
        }
    }
    // The events that don't depend on timing: no progress, stage ends, brief stages (only
    // 4 to 6 are kept), device notifications, track start percentages or failure texts; the
    // worker's RecordingFailed last, as it may come before or after the loop's errors.
    Lines Steady() const {
        static const std::set<std::string, std::less<>> timed = {"MediaChanged", "DeviceStateChanged", "StageProgress",
                                                                  "StageEnded", "TrackProgress"};
        Lines out = sink.Get([](const std::string& name, const std::string& line) {
            return !timed.contains(name) &&
                   (name != "StageStarted" || (line >= "StageStarted 4" && line <= "StageStarted 6"));
        });
        for (std::string& line : out) {
            const std::string name = line.substr(0, line.find(' '));
            if (name == "TrackStarted") line.erase(line.rfind(" p="));
            if (name == "StageError" || name == "TrackError" || name == "RecordingFailed") line.erase(line.find(" 0x") + 11);
        }
        std::stable_partition(out.begin(), out.end(), [](const std::string& line) { return line.rfind("RecordingFailed ", 0) != 0; });
        return out;
    }
};

TEST_F(RealEngineTest, ConnectsListsDevicesAndRecordsAnImageWithItsProgress) {
    // The engine's preferred drive, not its first writer.
    ASSERT_EQ(Connect("[Engine]\nPreferredDrive=R\n" + Drive('Q') + Drive('R', "Paced=1\nWriteSpeeds=48,24\n")), S_OK);
    LONG count = 0, index = -1;
    EXPECT_EQ(client->GetDeviceCount(&count), S_OK);
    EXPECT_EQ(client->GetCurrentDeviceIndex(&index), S_OK);
    EXPECT_EQ(std::to_string(count) + " " + std::to_string(index), "2 1");
    ASSERT_EQ(client->SetWriteSpeed(48), S_OK);
    LONG speed = 0;
    EXPECT_EQ(client->GetWriteSpeed(&speed), S_OK);
    EXPECT_EQ(speed, 48);
    // The word coding itself is RecordingOptionsTest's.
    ASSERT_EQ(client->SetRecordingOptions(RecordingOptions{3, 3, 2, 0x00010101, 0}), S_OK);
    RecordingOptions options;
    EXPECT_EQ(client->GetRecordingOptions(&options), S_OK);
    EXPECT_EQ(options, (RecordingOptions{3, 3, 0, 0x00010101, 0})); // track-at-once gives way to the method

    AddTracks({{"a.wav", 12}, {"b.wav", 12}});
    EXPECT_EQ(client->Record(), S_OK);
    client.reset();
    EXPECT_EQ(Steady(), (Lines{"RecordingStarted", "RecordingStarted", "StageStarted 4", "StageStarted 5", "TrackStarted t=0 a.wav", "TrackEnded t=0 a.wav p=100", "TrackStarted t=1 b.wav", "StageStarted 6",
                               "TrackEnded t=1 b.wav p=100", "RecordingFinished"}));
    EXPECT_TRUE(ImageExists("disc.cue"));
    // Paced, so that polls see the percentages of the lead-in and the tracks go by.
    const Lines progress = sink.Only({"StageProgress", "TrackProgress"});
    EXPECT_TRUE(std::any_of(progress.begin(), progress.end(), [](const std::string& l) { return l.rfind("StageProgress 4 ", 0) == 0; }));
    int partial = 0;
    for (const std::string& line : progress) {
        const int overall = std::stoi(line.substr(line.find_last_of(' ')));
        EXPECT_TRUE(overall >= 0 && overall <= 100) << line;
        partial += line.rfind("TrackProgress ", 0) == 0 && overall > 0 && overall < 100;
    }
    EXPECT_GT(partial, 0) << "no track progress between 0 and 100 %";
}

TEST_F(RealEngineTest, OnlyTheCurrentDevicesReadinessReachesTheSink) {
    // The other drive turns ready a monitor pass (500 ms) or more before the current one, so
    // its event has gone by when the current drive's arrives.
    ASSERT_EQ(Connect(Drive('R', "Fault.ReadyAfterMs=1200\n") + Drive('S', "Fault.ReadyAfterMs=100\n")), S_OK);
    DeviceHandle* other = nullptr;
    ASSERT_EQ(client->GetDevice(1, &other), S_OK); // connects the second device's events
    const auto ready = [&] { return sink.Only({"DeviceStateChanged"}); };
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !ready().empty(); }, 10000)) << "the current drive never turned ready";
    EXPECT_EQ(ready(), Lines{"DeviceStateChanged 1"});
}

// Record starts nothing without tracks or after a cancel.
TEST_F(RealEngineTest, AddTrackChecksInOrderAndStopsAt99Tracks) {
    ASSERT_EQ(Connect(Drive('R')), S_OK);
    EXPECT_EQ(client->Record(), S_FALSE);
    const std::string file = Wav("a.wav", 4);
    const struct { std::string path; HRESULT expected; } cases[] = {
        {Path("no-such-folder\\a.wav"), RECORDING_E_FILE_NOT_FOUND},
        {file + ".missing", RECORDING_E_FILE_NOT_FOUND},
        {"http://host/a.wav", RECORDING_E_UNSUPPORTED_FILE}, // not looked up
        {temp_->Write("b.txt", "text"), RECORDING_E_UNSUPPORTED_FILE},
        {temp_->Write("c.mp3", std::string(20000, '\x5A')), RECORDING_E_UNREADABLE_FILE_TYPE},
    };
    for (const auto& c : cases) {
        LONG index = 5;
        const HRESULT hr = client->AddTrack(c.path, &index);
        EXPECT_EQ(hr, c.expected) << c.path << ": " << Hex(hr);
        EXPECT_EQ(index, -1);
    }
    // Paths in UTF-8 beyond the system's code page are the playlist process test's.
    LONG index = -1;
    for (int i = 0; i < 99; ++i) ASSERT_EQ(client->AddTrack(file, &index), S_OK) << "track " << i;
    EXPECT_EQ(index, 98);
    const HRESULT hr = client->AddTrack(file + ".missing", &index);
    EXPECT_EQ(hr, RECORDING_E_TOO_MANY_TRACKS) << Hex(hr);
    LONG count = 0;
    EXPECT_EQ(client->GetTrackCount(&count), S_OK);
    EXPECT_EQ(count, 99);
    EXPECT_EQ(client->ClearTracks(), S_OK);
    EXPECT_EQ(client->AddTrack(file, &index), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(client->Cancel(), S_OK);
    const HRESULT cancelled = client->Record();
    EXPECT_EQ(cancelled, RECORDING_E_CANCELLED) << Hex(cancelled);
    client.reset();
    EXPECT_EQ(sink.Get(), Lines{});
}

// Cancelled before anything was prepared to abort: the engine learns it by asking the client.
TEST_F(RealEngineTest, TheEngineAsksWhetherToCancel) {
    ASSERT_EQ(Connect(Drive('R')), S_OK);
    AddTracks({{"a.wav", 4}});
    sink.hook = [&](const std::string& line) { if (line == "RecordingStarted") client->Cancel(); };
    EXPECT_EQ(client->Record(), S_OK);
    sink.hook = nullptr;
    client.reset();
    static const std::set<std::string, std::less<>> deviceAndStage = {
        "MediaChanged", "DeviceStateChanged", "EraseStarted", "EraseProgress", "DeviceFailure", "EraseCompleted",
        "StageStarted", "StageEnded"};
    EXPECT_EQ(sink.Get([](const std::string& name, const std::string&) { return !deviceAndStage.contains(name); }),
              (Lines{"RecordingStarted", "RecordingStarted", "RecordingCancelled 1"}));
    EXPECT_FALSE(ImageExists("disc.cue"));
}

TEST_F(RealEngineTest, ACancelledFailedOrRefusedRecordingReportsItsEnd) {
    const struct { const char* keys; bool cancel; Lines expected; } cases[] = { // cancel: when the second track starts
        {"Paced=1\nWriteSpeeds=48\n", true,
         {"RecordingStarted", "RecordingStarted", "StageStarted 4", "StageStarted 5", "TrackStarted t=0 a.wav", "TrackEnded t=0 a.wav p=100", "TrackStarted t=1 b.wav", "RecordingCancelled 1", "TrackInterrupted t=1 b.wav"}},
        {"Paced=1\nWriteSpeeds=48\nFault.FailAtPercent=75\n", false,
         {"RecordingStarted", "RecordingStarted", "StageStarted 4", "StageStarted 5", "TrackStarted t=0 a.wav", "TrackEnded t=0 a.wav p=100", "TrackStarted t=1 b.wav", "TrackError t=1 b.wav 0x80041899",
          "TrackError t=1 b.wav 0x80004005", "RecordingFailed 0x80041899"}},
        {"Fault.RefusePrepare=1\n", false, {"RecordingStarted", "RecordingFailedShort 0", "StageError 0 0x80041778", "StageError 0 0x80004005", "RecordingFailed 0x8004001D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        SetUp();
        sink.Clear();
        ASSERT_EQ(Connect(Drive('R', c.keys)), S_OK);
        AddTracks({{"a.wav", 12}, {"b.wav", 12}});
        sink.hook = [&](const std::string& line) { if (c.cancel && line.rfind("TrackStarted t=1", 0) == 0) { EXPECT_EQ(client->Cancel(), S_OK); } };
        EXPECT_EQ(client->Record(), S_OK);
        client.reset();
        sink.hook = nullptr;
        EXPECT_EQ(Steady(), c.expected);
        EXPECT_FALSE(ImageExists("disc.cue"));
    }
}

// A failed erase is reported once, and never as completed.
TEST_F(RealEngineTest, AnEraseIsReportedAsTheDeviceEndedIt) {
    const struct { const char* disc; HRESULT result; Lines events; } rows[] = {
        {"Media=CD-RW\nContent=audio\n", S_OK, {"EraseStarted", "EraseCompleted"}},
        {"Media=CD-R\n", RECORDING_E_MEDIA_NOT_REWRITABLE, {"DeviceFailure 0x800410DB"}},
        {"Media=CD-RW\nContent=audio\nFault.EraseFailAtPercent=50\n", RECORDING_E_ERASE_FAILED, {"EraseStarted", "DeviceFailure 0x8004177F"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disc);
        sink.Clear();
        ASSERT_EQ(Connect(Drive('R', row.disc)), S_OK);
        DeviceHandle* device = nullptr;
        ASSERT_EQ(client->GetCurrentDevice(&device), S_OK);
        const HRESULT hr = device->EraseDiscWithProgress();
        EXPECT_EQ(hr, row.result) << Hex(hr);
        client.reset();
        EXPECT_EQ(sink.Only({"EraseStarted", "DeviceFailure", "EraseCompleted"}), row.events);
    }
}

// The device's event sink is counted for real: an event the engine raises after the client
// has gone finds it alive and reaches no sink.
TEST_F(RealEngineTest, ADeviceHasOneHandleAndItsSinkOutlivesTheClient) {
    ASSERT_EQ(Connect(Drive('R')), S_OK);
    DeviceHandle *current = nullptr, *again = nullptr, *byIndex = nullptr;
    ASSERT_EQ(client->GetCurrentDevice(&current), S_OK);
    ASSERT_EQ(client->GetCurrentDevice(&again), S_OK);
    ASSERT_EQ(client->GetDevice(0, &byIndex), S_OK);
    EXPECT_EQ(current, again);
    EXPECT_EQ(current, byIndex);
    IRecordingDeviceEvents* events = &current->Device(); // as the engine holds it while raising an event
    EXPECT_GE(events->AddRef(), 2u);
    client.reset();
    sink.Clear();
    events->OnStatus(E_FAIL);
    EXPECT_EQ(events->Release(), 0u);
    EXPECT_EQ(sink.Get(), Lines{});
}

TEST_F(RealEngineTest, TheEngineHasFiveSecondsToStart) {
    EXPECT_EQ(Connect(Drive('R', "Fault.StartupMs=4500\n")), S_OK);
    const HRESULT hr = Connect(Drive('R', "Fault.StartupMs=5500\n"));
    EXPECT_EQ(hr, E_FAIL) << Hex(hr);
}

// A refusing engine is told apart from a missing one by its own words.
TEST_F(RealEngineTest, AnEnginesRefusalNamesTheDriveFilesLine) {
    UseConfig(Drive('R') + "Media=floppy\n");
    const std::string refusal = EngineRefusal();
    EXPECT_NE(std::string::npos, refusal.find("0x8004177B")) << refusal;
    EXPECT_NE(std::string::npos, refusal.find("line 4")) << refusal;
    UseConfig(Drive('R'));
    EXPECT_EQ("", EngineRefusal());
}

TEST_F(RealEngineTest, ABusyDriveIsAskedAgainUpToTenTimes) {
    // Busy for 21 queries: the first call's 11 and the second's first 10.
    ASSERT_EQ(Connect(Drive('R', "WriteSpeeds=24\nFault.BusyCount=21\n")), S_OK);
    DeviceHandle* device = nullptr;
    ASSERT_EQ(client->GetDevice(0, &device), S_OK);
    std::vector<std::uint16_t> reads, writes;
    HRESULT hr = device->GetSpeeds(RECORDING_MEDIA_CD_R, reads, writes);
    EXPECT_EQ(hr, E_FAIL) << Hex(hr);
    EXPECT_TRUE(writes.empty());
    hr = device->GetSpeeds(RECORDING_MEDIA_CD_R, reads, writes);
    EXPECT_EQ(hr, S_OK) << Hex(hr);
    EXPECT_EQ(writes, std::vector<std::uint16_t>{24});
}

TEST_F(RealEngineTest, ARecordingFinishedBetweenTwoPollsEndsEveryTrackOnce) {
    ASSERT_EQ(Connect(Drive('R')), S_OK);
    AddTracks({{"a.wav", 1}, {"b.wav", 1}});
    EXPECT_EQ(client->Record(), S_OK);
    client.reset();
    // Usually no poll sees a stage; whether one did depends on timing.
    EXPECT_EQ(sink.Only({"TrackEnded", "RecordingFinished"}),
              (Lines{"TrackEnded t=0 a.wav p=100", "TrackEnded t=1 b.wav p=100", "RecordingFinished"}));
    EXPECT_EQ(sink.Get([](const std::string& name, const std::string& line) { return name == "StageEnded" && line.find('-') != line.npos; }),
              Lines{}) << "a stage ended that never started";
}

} // namespace
