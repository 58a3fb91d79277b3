// EngineClient against a scripted in-process engine: connection, devices and their events,
// speeds, options, the track list and the recording loop's events.
#include "engine/EngineClient.h"
#include "common/TempFolder.h"
#include "tests/engine/RecordingSink.h"

#include <algorithm>
#include <condition_variable>
#include <stdexcept>

namespace {

#define FAKE_STUB(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

// One connection point and its container, for one event interface; keeps the last sink.
template <class Events>
class FakePoint : public IConnectionPointContainer, public IConnectionPoint {
public:
    ComPtr<Events> sink;

    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!IsEqualIID(iid, __uuidof(Events))) return E_NOINTERFACE;
        *point = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* unknown, DWORD* cookie) override {
        *cookie = 7;
        return unknown->QueryInterface(__uuidof(Events), sink.put_void());
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return cookie == 7 ? (sink.reset(), S_OK) : E_INVALIDARG; }
    FAKE_STUB(EnumConnectionPoints, IEnumConnectionPoints**) FAKE_STUB(GetConnectionInterface, IID*)
    FAKE_STUB(GetConnectionPointContainer, IConnectionPointContainer**) FAKE_STUB(EnumConnections, IEnumConnections**)
};

// Answers its own interfaces; the test owns the objects, so references aren't counted.
#define FAKE_IUNKNOWN(...)                                                                      \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {                 \
        *out = nullptr;                                                                         \
        __VA_ARGS__                                                                             \
        if (IsEqualIID(iid, IID_IConnectionPointContainer)) *out = static_cast<IConnectionPointContainer*>(this); \
        return *out ? S_OK : E_NOINTERFACE;                                                     \
    }                                                                                           \
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }                                     \
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

class FakeDevice : public IRecordingDevice, public FakePoint<IRecordingDeviceEvents> {
public:
    FakeDevice(WCHAR letter, HRESULT capabilities = S_OK, HRESULT speeds = S_OK, LONG writeMask = 0x38)
        : letter_(letter), capabilities_(capabilities), speeds_(speeds), writeMask_(writeMask) {}
    FAKE_IUNKNOWN(if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingDevice)) *out =
                      static_cast<IRecordingDevice*>(this);)

    HRESULT STDMETHODCALLTYPE GetIdentity(BSTR* id) override { return *id = SysAllocString(L"fake-id"), S_OK; }
    HRESULT STDMETHODCALLTYPE GetName(WCHAR* letter, BSTR* name) override {
        return *letter = letter_, *name = SysAllocString(L"Fake"), S_OK;
    }
    // Reads, writes CD-R and CD-RW.
    HRESULT STDMETHODCALLTYPE GetCapabilities(LONG* abilities, LONG* features) override {
        return *abilities = 0x7F, *features = 0x1, capabilities_;
    }
    HRESULT STDMETHODCALLTYPE GetSpeedMasks(LONG* read, LONG* write, LONG* rewrite) override {
        return *read = 0x40, *write = writeMask_, *rewrite = 0x8, speeds_;
    }
    HRESULT STDMETHODCALLTYPE GetMediaInfo(LONG* type, RecordingMediaDetails*, RecordingMediaFlags*,
                                           RecordingMediaCapacity* capacity) override {
        if (type) *type = RECORDING_MEDIA_CD_R;
        if (capacity) capacity->freeFrames = 360000;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginExclusiveUse() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndExclusiveUse() override { return S_OK; }
    FAKE_STUB(IsMediaPresent, BYTE*) FAKE_STUB(IsReady, BYTE*) FAKE_STUB(CanEraseMedia, BYTE*)
    FAKE_STUB(IsReadyForErase, BYTE*) FAKE_STUB(Erase, LONG) FAKE_STUB(GetEraseProgress, BYTE*, LONG*, LONG*)
    FAKE_STUB(GetImageFolder, BSTR*)

private:
    WCHAR letter_;
    HRESULT capabilities_, speeds_;
    LONG writeMask_;
};

// One answer of GetProgress; errors, when given, join the error list as it is answered.
struct Step {
    LONG status, track, trackDone, trackTotal, overallDone, overallTotal;
    std::vector<std::pair<HRESULT, std::string>> errors = {};
};

// The scripted engine. GetProgress walks the steps and stays on the last; RecordTracks
// blocks until GetProgress was asked once more after the last step, Abort, or Finish().
class FakeEngine : public IRecordingEngine, public IRecordingDisc, public FakePoint<IRecordingEngineEvents> {
public:
    FAKE_IUNKNOWN(if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingEngine)) *out =
                      static_cast<IRecordingEngine*>(this);)

    int startingAnswers = 0; // GetDeviceCount answers RECORDING_E_STARTING this often first
    std::vector<FakeDevice*> devices;
    std::wstring preferred;
    BYTE supported = 1, readable = 1;
    HRESULT addResult = S_OK, prepareResult = S_OK, recordResult = S_OK;
    LONG version = EngineClient::kTextEngineVersion;
    std::wstring addedPath;
    std::vector<std::wstring> texts; // "index|title|performer" or "disc|title|performer"
    std::vector<Step> steps;
    LONG options = 0, speedMask = 1;
    BYTE optionValue = 0;
    std::atomic<int> fileQueries{0}, prepares{0}, deviceCountCalls{0};
    std::atomic<int> cancelAtRecord{-1}; // the client's cancel answer when RecordTracks began

    void Finish() {
        std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }

    HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) override {
        if (++deviceCountCalls <= startingAnswers) return RECORDING_E_STARTING;
        *count = static_cast<LONG>(devices.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LONG index, IRecordingDevice** device) override {
        return *device = devices.at(static_cast<std::size_t>(index)), S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsFileSupported(BSTR, BYTE* answer) override { return ++fileQueries, *answer = supported, S_OK; }
    HRESULT STDMETHODCALLTYPE IsFileTypeReadable(BSTR, BYTE* answer) override { return *answer = readable, S_OK; }
    HRESULT STDMETHODCALLTYPE GetDisc(IRecordingDisc** disc) override { return *disc = this, S_OK; }
    HRESULT STDMETHODCALLTYPE GetErrorCount(LONG* count) override {
        std::lock_guard lock(mutex_);
        return *count = static_cast<LONG>(errors_.size()), S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetError(LONG index, HRESULT* code, BSTR* text) override {
        std::lock_guard lock(mutex_);
        const auto& e = errors_.at(static_cast<std::size_t>(index));
        return *code = e.first, *text = SysAllocString(Wide(e.second).c_str()), S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPreferredDevice(BSTR* text) override { return *text = SysAllocString(preferred.c_str()), S_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID id, BSTR, LONG) override {
        return IsEqualGUID(id, FENNEL_APPLICATION_ID) ? S_OK : E_INVALIDARG;
    }

    HRESULT STDMETHODCALLTYPE GetCDCreationParams(BSTR* id, LONG* o, LONG* mask, LONG* pause, LONG* reserved,
                                                  BYTE* value) override {
        *id = SysAllocString(L"fake-id");
        return *o = options, *mask = speedMask, *pause = 150, *reserved = 0, *value = optionValue, S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCDCreationParams(BSTR, LONG o, LONG mask, LONG, LONG, LONG, BYTE value) override {
        return options = o, speedMask = mask, optionValue = value, S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddFile(BSTR path, LONG* index) override {
        addedPath = path ? path : L"";
        if (SUCCEEDED(addResult)) *index = files_++;
        return addResult;
    }
    HRESULT STDMETHODCALLTYPE GetSpaceNeeded(LONG* frames) override { return *frames = 1000, S_OK; }
    HRESULT STDMETHODCALLTYPE Prepare(LONG) override { return ++prepares, prepareResult; }
    HRESULT STDMETHODCALLTYPE RecordTracks(ULONG, ULONG, LONG) override {
        BYTE cancel = 2;
        if (FakePoint<IRecordingEngineEvents>::sink) FakePoint<IRecordingEngineEvents>::sink->QueryCancel(&cancel);
        cancelAtRecord = cancel;
        std::unique_lock lock(mutex_);
        recording_ = true;
        wake_.notify_all();
        wake_.wait(lock, [this] { return released_ || aborted_; });
        return aborted_ ? RECORDING_E_CANCELLED : recordResult;
    }
    HRESULT STDMETHODCALLTYPE CloseDisc(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Abort() override {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        wake_.notify_all();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProgress(LONG* status, LONG* track, LONG* trackDone, LONG* trackTotal, LONG* overallDone,
                                          LONG* overallTotal, LONG* buffer) override {
        std::unique_lock lock(mutex_);
        // The worker's events come first: wait until it records (or gave up preparing).
        wake_.wait_for(lock, std::chrono::seconds(5), [this] { return recording_ || prepareResult != S_OK; });
        if (next_ >= steps.size()) {
            released_ = true;
            wake_.notify_all();
        }
        const Step& s = steps.at(std::min(next_++, steps.size() - 1));
        errors_.insert(errors_.end(), s.errors.begin(), s.errors.end());
        *status = s.status, *track = s.track, *trackDone = s.trackDone, *trackTotal = s.trackTotal;
        *overallDone = s.overallDone, *overallTotal = s.overallTotal, *buffer = 100;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetEngineVersion(LONG* value) override { return *value = version, S_OK; }
    HRESULT STDMETHODCALLTYPE ClearErrors() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ClearLayout() override { return files_ = 0, S_OK; }
    FAKE_STUB(GetEngineName, BSTR*) FAKE_STUB(GetConfigurationPath, BSTR*) FAKE_STUB(SetConfigurationPath, BSTR)
    FAKE_STUB(FindDevice, BSTR, LONG*) FAKE_STUB(GetAudioFileFrames, BSTR, LONG*) FAKE_STUB(GetSupportedFileTypes, BSTR*)
    FAKE_STUB(GetErrorText, HRESULT, BSTR*) FAKE_STUB(GetStatus, LONG*) FAKE_STUB(IsStarted, BYTE*)
    FAKE_STUB(SetPreferredDevice, BSTR) FAKE_STUB(GetApplicationName, BSTR*) FAKE_STUB(GetApplicationId, GUID*)
    FAKE_STUB(RefreshDevices) FAKE_STUB(Reserved26) FAKE_STUB(Reserved27) FAKE_STUB(Reserved28) FAKE_STUB(Uninitialize)
    FAKE_STUB(GetTrackCount, LONG*) FAKE_STUB(GetTrackFile, LONG, BSTR*) FAKE_STUB(GetTrackFrames, LONG, LONG*)
    FAKE_STUB(RemoveTrack, LONG) FAKE_STUB(GetImagePath, BSTR*)
    HRESULT STDMETHODCALLTYPE SetTrackText(LONG index, BSTR title, BSTR performer) override {
        return texts.push_back(std::to_wstring(index) + L"|" + title + L"|" + performer), S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDiscText(BSTR title, BSTR performer) override {
        return texts.push_back(std::wstring(L"disc|") + title + L"|" + performer), S_OK;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::pair<HRESULT, std::string>> errors_;
    std::size_t next_ = 0;
    LONG files_ = 0;
    bool recording_ = false, released_ = false, aborted_ = false;
};

// The client with the fake in place of the created engine.
class FakeClient : public EngineClient {
public:
    explicit FakeClient(FakeEngine& engine) : engine_(engine) {}

protected:
    HRESULT CreateEngine(ComPtr<IUnknown>& engine) override { return engine = static_cast<IRecordingEngine*>(&engine_), S_OK; }

private:
    FakeEngine& engine_;
};

class EngineClientTest : public testing::Test {
protected:
    FakeDevice r{L'R'}, s{L's'};
    FakeEngine fake;
    RecordingSink sink;
    ComPtr<FakeClient> client;

    void SetUp() override { fake.devices = {&r, &s}; }
    void TearDown() override {
        fake.Finish();
        client.reset(); // waits for the worker before the fakes go
    }
    HRESULT Connect() {
        client = ComPtr<FakeClient>::Attach(new FakeClient(fake));
        client->SetEventSink(&sink);
        return client->Initialize("tests", 0);
    }
    // A file that exists.
    std::string ExistingFile(const std::string& name) const { return folder.Write(name, "RIFF"); }
    testsupport::TempFolder folder;
};

TEST_F(EngineClientTest, WaitsForAStartingEngineAtMostFiveSeconds) {
    const struct { int startingAnswers; HRESULT expected; } cases[] = {{40, S_OK}, {60, E_FAIL}};
    for (const auto& c : cases) {
        fake.startingAnswers = c.startingAnswers;
        fake.deviceCountCalls = 0;
        const HRESULT hr = Connect();
        EXPECT_EQ(hr, c.expected) << c.startingAnswers << ": " << Hex(hr);
    }
}

TEST_F(EngineClientTest, ChoosesTheFirstDeviceThatWritesOrAnswersTheOnlyDevicesFailure) {
    FakeDevice noCaps{L'A', RecordingCode(0x80040777)}, busy{L'B', S_OK, RECORDING_E_DEVICE_BUSY},
        reader{L'C', S_OK, S_OK, 0}, writer{L'D'};
    const struct {
        std::vector<FakeDevice*> devices;
        std::wstring preferred;
        HRESULT expected;
        LONG current;
    } cases[] = {
        {{&noCaps}, L"", RecordingCode(0x80040777), -1}, // the only device: its own code
        {{&busy}, L"", E_FAIL, -1},                      // busy beyond the retries
        {{&reader}, L"", ENGINE_E_NO_DEVICE, -1},
        {{}, L"", ENGINE_E_NO_DEVICE, -1},
        {{&noCaps, &busy, &reader, &writer}, L"", S_OK, 3},
        {{&reader, &writer}, L"c:\\", S_OK, 0}, // the engine's preferred device wins
        {{&reader, &writer}, L"X:", S_OK, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.devices.size() << " devices, expected " << Hex(c.expected));
        fake.devices = c.devices;
        fake.preferred = c.preferred;
        const HRESULT hr = Connect();
        EXPECT_EQ(hr, c.expected) << Hex(hr);
        LONG index = -1;
        if (SUCCEEDED(hr)) client->GetCurrentDeviceIndex(&index);
        EXPECT_EQ(index, c.current);
    }
    client.reset(); // before the devices of this test go
}

TEST_F(EngineClientTest, DeviceEventsReachTheSinkOnlyFromTheCurrentDevice) {
    fake.preferred = L"R:";
    ASSERT_EQ(Connect(), S_OK);
    DeviceHandle* other = nullptr;
    ASSERT_EQ(client->GetDevice(1, &other), S_OK); // connects the second device's events
    const struct {
        FakeDevice* device;
        HRESULT (STDMETHODCALLTYPE IRecordingDeviceEvents::*method)(LONG);
        LONG value;
        HRESULT result;
        const char* line;
    } cases[] = {
        {&r, &IRecordingDeviceEvents::OnReadyChange, 1, S_OK, "1 1"},
        {&s, &IRecordingDeviceEvents::OnReadyChange, 1, S_FALSE, nullptr},
        {&r, &IRecordingDeviceEvents::OnMediaChange, 0, S_OK, "0 1"},
        {&s, &IRecordingDeviceEvents::OnMediaChange, 1, S_FALSE, nullptr},
        {&s, &IRecordingDeviceEvents::OnStatus, RECORDING_E_NOT_READY, S_OK, "4 0x80040015"},
        {&r, &IRecordingDeviceEvents::OnStatus, 0, S_FALSE, nullptr},
        {&r, &IRecordingDeviceEvents::OnEraseProgress, 50, S_FALSE, nullptr},
    };
    Lines expected;
    for (const auto& c : cases) {
        ASSERT_TRUE(c.device->sink) << "device events not connected";
        const HRESULT hr = (c.device->sink.get()->*c.method)(c.value);
        EXPECT_EQ(hr, c.result) << Hex(hr) << " for " << (c.line ? c.line : "an ignored event");
        if (c.line) expected.push_back(c.line);
    }
    EXPECT_EQ(sink.Get(), expected);
}

// The conversions themselves: RecordingOptionsTest.
TEST_F(EngineClientTest, SpeedAndOptionsGoThroughTheParameters) {
    ASSERT_EQ(Connect(), S_OK);
    ASSERT_EQ(client->SetWriteSpeed(5), S_OK);
    LONG speed = 0;
    EXPECT_EQ(client->GetWriteSpeed(&speed), S_OK);
    EXPECT_EQ(speed, 4);
    EXPECT_EQ(fake.speedMask, 8);

    const RecordingOptions options{3, 3, 2, 0x00010101, 0};
    ASSERT_EQ(client->SetRecordingOptions(options), S_OK);
    EXPECT_EQ(static_cast<std::uint32_t>(fake.options), (1u << 1) | (1u << 16) | (1u << 28) | (1u << 30));
    RecordingOptions back;
    EXPECT_EQ(client->GetRecordingOptions(&back), S_OK);
    EXPECT_EQ(back, (RecordingOptions{3, 3, 0, 0x00010101, 0})); // track-at-once gives way to the method
}

TEST_F(EngineClientTest, AddTrackChecksInOrderAndStopsAt99Tracks) {
    const std::string file = ExistingFile("a.wav");
    const struct {
        std::string path;
        BYTE supported, readable;
        HRESULT add, expected;
    } cases[] = {
        {"C:\\no-such-folder\\a.wav", 0, 0, S_OK, RECORDING_E_FILE_NOT_FOUND},
        {file + ".missing", 0, 0, S_OK, RECORDING_E_FILE_NOT_FOUND},
        {"http://host/a.wav", 1, 1, S_OK, RECORDING_E_UNSUPPORTED_FILE},
        {file, 0, 0, S_OK, RECORDING_E_UNSUPPORTED_FILE},
        {file, 1, 0, S_OK, RECORDING_E_UNREADABLE_FILE_TYPE},
        {file, 1, 1, RECORDING_E_DISC_FULL, RECORDING_E_DISC_FULL},
    };
    ASSERT_EQ(Connect(), S_OK);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        fake.supported = c.supported, fake.readable = c.readable, fake.addResult = c.add;
        LONG index = 5;
        const HRESULT hr = client->AddTrack(c.path, &index);
        EXPECT_EQ(hr, c.expected) << Hex(hr);
        EXPECT_EQ(index, -1);
    }
    EXPECT_EQ(fake.fileQueries, 3) << "neither missing files nor web addresses reach the engine";

    fake.supported = fake.readable = 1, fake.addResult = S_OK;
    LONG index = -1;
    for (int i = 0; i < 99; ++i) ASSERT_EQ(client->AddTrack(file, &index), S_OK) << "track " << i;
    EXPECT_EQ(index, 98);
    HRESULT hr = client->AddTrack(file + ".missing", &index);
    EXPECT_EQ(hr, RECORDING_E_TOO_MANY_TRACKS) << Hex(hr);
    LONG count = 0;
    EXPECT_EQ(client->GetTrackCount(&count), S_OK);
    EXPECT_EQ(count, 99);

    EXPECT_EQ(client->AddSecondModeItem(), ENGINE_E_WRONG_TRACK_MODE);
    client->ClearTracks();
    EXPECT_EQ(client->AddSecondModeItem(), E_FAIL);
    hr = client->AddTrack(file, &index);
    EXPECT_EQ(hr, ENGINE_E_WRONG_TRACK_MODE) << Hex(hr);
}

TEST_F(EngineClientTest, Utf8PathsAndTextsReachTheEngineWideAndOnlyANewerEngineGetsTexts) {
    // A name outside the system's code page: only its wide form finds the file.
    const auto wide = std::filesystem::path(folder.Path()) / L"\u65e5\u672c \u00e9.wav";
    std::ofstream(wide) << "RIFF";
    const std::u8string utf8 = wide.u8string();
    ASSERT_EQ(Connect(), S_OK);
    LONG index = -1;
    HRESULT hr = client->AddTrack(std::string(utf8.begin(), utf8.end()), &index, CP_UTF8);
    ASSERT_EQ(hr, S_OK) << Hex(hr);
    EXPECT_EQ(fake.addedPath, wide.wstring());
    EXPECT_EQ(client->SetTrackText(index, "Caf\xC3\xA9", "", CP_UTF8), S_OK);
    EXPECT_EQ(client->SetDiscText("Album", "\xE6\x97\xA5", CP_UTF8), S_OK);
    EXPECT_EQ(fake.texts, (std::vector<std::wstring>{L"0|Caf\u00e9|", L"disc|Album|\u65e5"}));

    fake.texts.clear();
    fake.version = EngineClient::kTextEngineVersion - 1;
    client.reset();
    ASSERT_EQ(Connect(), S_OK);
    EXPECT_EQ(client->SetTrackText(0, "Title", "", CP_ACP), E_NOTIMPL);
    EXPECT_EQ(client->SetDiscText("Album", "", CP_ACP), E_NOTIMPL);
    EXPECT_TRUE(fake.texts.empty()) << "an older engine has no such methods to call";
}

TEST_F(EngineClientTest, RecordWithoutTracksOrAfterCancelStartsNothing) {
    ASSERT_EQ(Connect(), S_OK);
    EXPECT_EQ(client->Record(), S_FALSE);
    LONG index = -1;
    ASSERT_EQ(client->AddTrack(ExistingFile("a.wav"), &index), S_OK);
    EXPECT_EQ(client->Cancel(), S_OK);
    const HRESULT hr = client->Record();
    EXPECT_EQ(hr, RECORDING_E_CANCELLED) << Hex(hr);
    EXPECT_EQ(fake.prepares, 0);
    EXPECT_EQ(sink.Get(), Lines{});
}

constexpr LONG kLeadIn = RECORDING_STATUS_WRITING_LEADIN, kTracks = RECORDING_STATUS_WRITING_TRACKS,
               kFinal = RECORDING_STATUS_FINALIZING;

TEST_F(EngineClientTest, RecordingReportsItsScriptedProgressAsEvents) {
    const std::pair<HRESULT, std::string> underrun{RECORDING_E_BUFFER_UNDERRUN, "underrun"};
    const struct {
        const char* name;
        std::vector<Step> steps;
        HRESULT prepare, record;
        const char* cancelAt; // the sink cancels on this line
        Lines expected;
    } cases[] = {
        {"finished",
         {{kLeadIn, -1, 0, 0, 10, 100}, {kLeadIn, -1, 0, 0, 20, 100}, {kTracks, 0, 0, 50, 30, 100},
          {kTracks, 0, 25, 50, 40, 100}, {kTracks, 1, 0, 50, 60, 100}, {kFinal, 1, 50, 50, 100, 100}},
         S_OK, S_OK, nullptr,
         {"6", "6", "8 4", "9 4 0 10", "9 4 0 20", "10 4", "8 5", "12 t=0 a.wav p=0", "13 t=0 a.wav 50 40",
          "14 t=0 a.wav p=100", "12 t=1 b.wav p=0", "8 7", "14 t=1 b.wav p=100", "9 7 100 100",
          "14 t=2 c.wav p=100", "10 7", "19"}},
        {"cancelled while writing",
         {{kTracks, 0, 0, 50, 0, 100}, {kTracks, 1, 0, 50, 50, 100}, {kTracks, 1, 10, 50, 60, 100}},
         S_OK, S_OK, "12 t=1 b.wav p=0",
         {"6", "6", "8 5", "12 t=0 a.wav p=0", "14 t=0 a.wav p=100", "12 t=1 b.wav p=0", "18 1", "15 t=1 b.wav"}},
        {"errors while writing",
         {{kTracks, 0, 0, 50, 0, 100}, {kTracks, 1, 0, 50, 50, 100, {underrun}}}, S_OK, RECORDING_E_BUFFER_UNDERRUN,
         nullptr,
         {"6", "6", "8 5", "12 t=0 a.wav p=0", "14 t=0 a.wav p=100", "16 t=1 b.wav 0x80041899 underrun",
          "16 t=1 b.wav 0x80004005 ", "17 0x80041899"}},
        {"errors in the lead-in",
         {{kLeadIn, -1, 0, 0, 0, 100, {underrun}}}, S_OK, S_OK, nullptr,
         {"6", "6", "11 4 0x80041899 underrun", "11 4 0x80004005 "}},
        {"refused", {{0, -1, 0, 0, 0, 0}}, RecordingCode(0x80041778), S_OK, nullptr,
         {"6", "7 0", "17 0x8004001D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeEngine engine;
        RecordingSink log;
        engine.devices = {&r};
        engine.steps = c.steps, engine.prepareResult = c.prepare, engine.recordResult = c.record;
        auto recorder = ComPtr<FakeClient>::Attach(new FakeClient(engine));
        struct Releaser {
            FakeEngine& engine;
            ~Releaser() { engine.Finish(); }
        } releaser{engine}; // before the client waits for its worker
        recorder->SetEventSink(&log);
        ASSERT_EQ(recorder->Initialize("tests", 0), S_OK);
        LONG index = -1;
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            ASSERT_EQ(recorder->AddTrack(ExistingFile(name), &index), S_OK);
        if (c.cancelAt)
            log.hook = [&](const std::string& line) {
                if (line == c.cancelAt) {
                    EXPECT_EQ(recorder->Cancel(), S_OK);
                }
            };
        EXPECT_EQ(recorder->Record(), S_OK);
        EXPECT_EQ(engine.cancelAtRecord, c.prepare == S_OK ? 0 : -1) << "the cancel query as recording began";
        if (c.cancelAt) {
            BYTE cancel = 0;
            ASSERT_TRUE(engine.FakePoint<IRecordingEngineEvents>::sink) << "engine events not connected";
            EXPECT_EQ(engine.FakePoint<IRecordingEngineEvents>::sink->QueryCancel(&cancel), S_OK);
            EXPECT_EQ(cancel, 1);
        }
        engine.Finish();
        recorder.reset();
        // Record's slot 6 and the worker's may come in either order; a refused recording may
        // end before the loop saw the idle stage. A failure's code counts, not its text.
        Lines lines = log.Get([](int, const std::string& line) { return line != "8 0"; });
        std::stable_partition(lines.begin(), lines.end(), [](const std::string& l) { return l == "6"; });
        for (std::string& line : lines)
            if (line.rfind("17 ", 0) == 0) line.resize(13);
        EXPECT_EQ(lines, c.expected);
    }
}

TEST(EngineSessionTest, WritingTheParametersBeforeFetchingThemIsALogicError) {
    ComPtr<EngineSession> session = ComPtr<EngineSession>::Attach(new EngineSession);
    EXPECT_THROW(session->SetCDCreationParams(), std::logic_error);
}

} // namespace
