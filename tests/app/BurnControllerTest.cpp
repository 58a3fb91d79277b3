// The controller and its event poster as the engine client and the burn window see them:
// result values, window messages, track preparation through the policy layer and the cancel
// rules.
#include "app/BurnController.h"
#include "ui/BurnMessages.h"
#include "common/HostKit.h"
#include "common/WaitUntil.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace testsupport;

const std::string kArea = "Software\\FennelTest\\BurnController";
const std::string kTracks = kArea + "\\TrackResults";

// The engine side of the policy layer: AddTrack answers from a table by path.
class FakeEngineClient : public PluginEngineClient {
public:
    FakeEngineClient(PluginBase& application, std::map<std::string, HRESULT> refusals)
        : PluginEngineClient(application), refusals_(std::move(refusals)) {}
    HRESULT Cancel() override {
        ++cancels;
        return S_OK;
    }
    int cancels = 0;

protected:
    HRESULT EngineAddTrack(const std::string& path, LONG* index, UINT) override {
        const auto refused = refusals_.find(path);
        if (refused != refusals_.end()) return refused->second;
        *index = next_++;
        return S_OK;
    }

private:
    std::map<std::string, HRESULT> refusals_;
    LONG next_ = 0;
};

class TestController : public BurnController {
public:
    std::map<std::string, HRESULT> refusals;
    ComPtr<PluginEngineClient> CreateEngine(const std::string&, LONG, HRESULT* result) override {
        *result = S_OK;
        return ComPtr<PluginEngineClient>::Attach(new FakeEngineClient(*this, refusals));
    }
    const std::vector<std::string>& AllowedExtensions() override { return allowed_; }
    void Configure(const std::string& text) { Configuration().Parse(text.data(), text.size()); }

private:
    std::vector<std::string> allowed_{"WAV"};
};

class BurnControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeleteKeyTree(kArea));
        controller_.SetRegistryBase(kArea);
        ASSERT_TRUE(window_);
        controller_.Channel().Attach(window_.get());
        for (const char* path : {"C:\\a.wav", "C:\\b.mp3", "C:\\c.wav"}) controller_.Request().tracks.push_back({path});
        controller_.Request().engineTrackNumbers.assign(3, -1);
    }
    void TearDown() override {
        controller_.Channel().Attach(nullptr);
        DeleteKeyTree(kArea);
    }

    // The messages posted since the last call, records taken out of the queue.
    std::vector<MSG> Take(std::vector<BurnEventRecord>* records = nullptr) {
        std::vector<MSG> posted;
        MSG msg;
        while (PeekMessageA(&msg, window_.get(), BurnMessages::kRunEnded, BurnMessages::kRecordingFinished, PM_REMOVE)) {
            posted.push_back(msg);
            if (auto record = controller_.Channel().Take(msg.lParam); record && records) records->push_back(*record);
        }
        return posted;
    }
    static std::optional<std::int32_t> Value(const std::string& key, const std::string& name) {
        const auto value = ReadDword(key, name);
        return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
    }

    TestController controller_;
    UniqueWindow window_{CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
};

TEST_F(BurnControllerTest, EverySlotWritesItsValueAndPostsItsMessage) {
    const TrackRecord third{"C:\\c.wav"};
    struct Row {
        const char* slot;
        std::function<void(BurnEventPoster&)> raise;
        std::optional<std::int32_t> burnResults;
        std::optional<std::int32_t> thirdTrack; // TrackResults\3
        UINT message;                           // 0: none
        WPARAM wParam;
        LPARAM lParam;                          // kRecord: a queued record
        std::int32_t position;                  // the record's playlist position, -1 for none
    };
    const HRESULT notErasable = RECORDING_E_MEDIA_NOT_REWRITABLE;
    constexpr LPARAM kRecord = -1;
    namespace M = BurnMessages;
    const std::vector<Row> rows = {
        {"MediaChanged", [](auto& e) { e.MediaChanged(true); }, {}, {}, M::kMediaChanged, 1, 0, -1},
        {"DeviceStateChanged", [](auto& e) { e.DeviceStateChanged(true); }, {}, {}, M::kDeviceStateChanged, 1, 0, -1},
        {"EraseStarted", [](auto& e) { e.EraseStarted(); }, -7, {}, M::kEraseStarted, 0, 0, -1},
        {"EraseProgress", [](auto& e) { e.EraseProgress(42); }, {}, {}, M::kEraseProgress, 42, 0, -1},
        {"DeviceFailure not erasable", [=](auto& e) { e.DeviceFailure(notErasable); }, -6, {}, M::kDeviceFailure, 0,
         notErasable, -1},
        {"DeviceFailure other", [](auto& e) { e.DeviceFailure(E_FAIL); }, -8, {}, M::kDeviceFailure, 0, E_FAIL, -1},
        {"EraseCompleted", [](auto& e) { e.EraseCompleted(); }, -9, {}, M::kEraseCompleted, 0, 0, -1},
        {"RecordingStarted", [](auto& e) { e.RecordingStarted(); }, -19, {}, M::kRecordingStarted, 0, 0, -1},
        {"RecordingFailedShort", [](auto& e) { e.RecordingFailedShort(5); }, -1, {}, M::kRecordingFailedShort, 5, 0, -1},
        {"StageStarted", [](auto& e) { e.StageStarted(4); }, {}, {}, M::kStageStarted, 4, 0, -1},
        {"StageProgress", [](auto& e) { e.StageProgress(4, 10, 20); }, {}, {}, M::kStageProgress, 0, kRecord, -1},
        {"StageEnded", [](auto& e) { e.StageEnded(4); }, {}, {}, M::kStageEnded, 4, 0, -1},
        {"StageError", [](auto& e) { e.StageError(4, E_FAIL, "x"); }, {}, {}, M::kStageError, 0, kRecord, -1},
        {"TrackStarted", [&](auto& e) { e.TrackStarted(1, &third, 0); }, {}, -8, M::kTrackStarted, 0, kRecord, 2},
        {"TrackProgress", [&](auto& e) { e.TrackProgress(1, &third, 5, 6); }, {}, {}, M::kTrackProgress, 0, kRecord, 2},
        {"TrackEnded", [&](auto& e) { e.TrackEnded(1, &third, 100); }, {}, 0, M::kTrackEnded, 0, kRecord, 2},
        {"TrackInterrupted", [&](auto& e) { e.TrackInterrupted(1, &third); }, {}, -2, 0, 0, 0, -1},
        {"TrackError", [&](auto& e) { e.TrackError(1, &third, E_FAIL, "x"); }, {}, -1, M::kTrackError, 0, kRecord, 2},
        {"RecordingFailed", [](auto& e) { e.RecordingFailed(E_FAIL, "x"); }, -1, {}, M::kRecordingFailed, 0, kRecord, -1},
        {"RecordingCancelled aborted", [](auto& e) { e.RecordingCancelled(false); }, -1, {}, M::kRecordingCancelled, 0, 0,
         -1},
        {"RecordingFinished", [](auto& e) { e.RecordingFinished(); }, 1, {}, M::kRecordingFinished, 0, 0, -1},
        {"RunEnded not ended", [](auto& e) { e.RunEnded(false, false); }, -3, {}, M::kRunEnded, 0, 0, -1},
        {"RunEnded ended", [](auto& e) { e.RunEnded(true, false); }, -1, {}, M::kRunEnded, 1, 0, -1},
        {"TrackPreparationFinished", [](auto& e) { e.TrackPreparationFinished(); }, {}, {}, M::kPreparationFinished, 0, 0,
         -1},
        {"TrackPreparationProgress", [](auto& e) { e.TrackPreparationProgress(2, "C:\\c.wav", 83); }, {}, {},
         M::kPreparationProgress, 0, kRecord, 2},
        // Last: the user's cancel makes every later ending -2.
        {"RecordingCancelled by user", [](auto& e) { e.RecordingCancelled(true); }, -2, {}, M::kRecordingCancelled, 1, 0,
         -1},
        {"RecordingFailed after cancel", [](auto& e) { e.RecordingFailed(E_FAIL, "x"); }, -2, {}, M::kRecordingFailed, 0,
         kRecord, -1},
        {"RunEnded cancelled", [](auto& e) { e.RunEnded(true, true); }, -2, {}, M::kRunEnded, 1, 1, -1},
    };
    // Playlist position 1 refused, so engine track 1 is the third entry.
    BurnEventPoster& events = controller_.Events();
    events.TrackPreparationStarted();
    events.TrackAccepted(0, "C:\\a.wav", 0);
    events.TrackRefused(1, "C:\\b.mp3", E_ACCESSDENIED);
    events.TrackAccepted(2, "C:\\c.wav", 1);
    Take();
    for (const Row& row : rows) {
        DeleteValue(kArea, "BurnResults");
        DeleteValue(kTracks, "3");
        row.raise(events);
        EXPECT_EQ(row.burnResults, Value(kArea, "BurnResults")) << row.slot;
        EXPECT_EQ(row.thirdTrack, Value(kTracks, "3")) << row.slot;
        std::vector<BurnEventRecord> records;
        const std::vector<MSG> posted = Take(&records);
        if (row.message == 0) {
            EXPECT_TRUE(posted.empty()) << row.slot;
            continue;
        }
        ASSERT_EQ(1u, posted.size()) << row.slot;
        EXPECT_EQ(row.message, posted[0].message) << row.slot;
        if (row.lParam == kRecord) {
            ASSERT_EQ(1u, records.size()) << row.slot << ": the record is queued until the window takes it";
            EXPECT_EQ(row.position, records[0].position) << row.slot;
        } else {
            EXPECT_EQ(row.wParam, posted[0].wParam) << row.slot;
            EXPECT_EQ(row.lParam, posted[0].lParam) << row.slot;
        }
    }
    EXPECT_EQ(0u, controller_.Channel().Queued());
    EXPECT_TRUE(events.UserCancelled());
}

TEST_F(BurnControllerTest, TrackPreparationAppliesTheExtensionPolicyAndReportsHalfSteps) {
    WriteDword(kTracks, "9", 1); // left by an earlier burn
    controller_.refusals = {{"C:\\gone.wav", RECORDING_E_FILE_NOT_FOUND}};
    controller_.Request().tracks = {{"C:\\a.wav"}, {"C:\\b.mp3"}, {"C:\\noext"}, {"C:\\gone.wav"}, {"C:\\e.Wav"}};
    controller_.Request().engineTrackNumbers.assign(5, -1);
    ASSERT_EQ(0, controller_.EngineCheck(true));
    auto* client = static_cast<PluginEngineClient*>(controller_.EngineAccess());
    ASSERT_NE(nullptr, client);
    client->PrepareTracks(controller_.Request().tracks);

    const std::int32_t expected[] = {-3, -7, -6, -5, -3};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], Value(kTracks, std::to_string(i + 1))) << i;
    EXPECT_FALSE(Value(kTracks, "9"));
    BurnEventPoster& events = controller_.Events();
    EXPECT_FALSE(events.AllTracksAccepted());
    const TrackRecord fifth{"C:\\e.Wav"}, unknown{"C:\\z.wav"};
    EXPECT_EQ(4, events.PositionOfEngineTrack(1, nullptr)) << "the fifth entry is engine track 1";
    EXPECT_EQ(4, events.PositionOfEngineTrack(7, &fifth)) << "an unknown index falls back to the path";
    EXPECT_EQ(-1, events.PositionOfEngineTrack(7, &unknown));
    EXPECT_EQ(-1, events.PositionOfEngineTrack(7, nullptr));

    std::vector<BurnEventRecord> records;
    const std::vector<MSG> posted = Take(&records);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(BurnMessages::kPreparationStarted, posted.front().message);
    EXPECT_EQ(BurnMessages::kPreparationFinished, posted.back().message);
    // Records come in posting order: progress, accepted or refused, progress for each track.
    std::vector<std::int32_t> progress;
    for (const BurnEventRecord& record : records) {
        if (record.code == S_OK && record.percent1 != 0) progress.push_back(record.percent1);
    }
    EXPECT_EQ((std::vector<std::int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}), progress);

    const struct {
        HRESULT code;
        std::int32_t value;
    } refusals[] = {{RECORDING_E_UNREADABLE_FILE_TYPE, -7}, {E_ACCESSDENIED, -7}, {RECORDING_E_TOO_MANY_TRACKS, -10},
                    {RECORDING_E_FILE_NOT_FOUND, -5}, {RECORDING_E_DISC_FULL, -9}, {RECORDING_E_UNSUPPORTED_FILE, -6},
                    {E_FAIL, -6}};
    for (const auto& refusal : refusals) {
        events.TrackRefused(0, "C:\\a.wav", refusal.code);
        EXPECT_EQ(refusal.value, Value(kTracks, "1")) << std::hex << refusal.code;
    }
}

TEST_F(BurnControllerTest, CancelledWindowStopsThePreparation) {
    ASSERT_EQ(0, controller_.EngineCheck(true));
    controller_.Channel().SetCancelling(true);
    static_cast<PluginEngineClient*>(controller_.EngineAccess())->PrepareTracks(controller_.Request().tracks);
    const std::vector<MSG> posted = Take();
    ASSERT_EQ(2u, posted.size());
    EXPECT_EQ(BurnMessages::kPreparationFinished, posted[1].message);
    EXPECT_FALSE(KeyExists(kTracks));
}

TEST(BurnControllerRules, CancelAsksOnlyWhenItsSettingAppliesAndNothingHasEnded) {
    const struct {
        bool started, before, after, completed;
        std::size_t tracks;
        bool error, asks;
    } rows[] = {
        {false, true, false, false, 2, false, true},  {false, false, true, false, 2, false, false},
        {true, false, true, false, 2, false, true},   {true, true, false, false, 2, false, false},
        {true, true, true, true, 2, false, false},    {false, true, true, false, 0, false, false},
        {true, true, true, false, 2, true, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.asks, BurnController::CancelNeedsConfirmation(r.started, r.before, r.after, r.completed, r.tracks,
                                                                  r.error))
            << r.started << r.before << r.after << r.completed << r.tracks << r.error;
    }
}

TEST_F(BurnControllerTest, CancelWithoutConfirmationStopsTheEngineAndLogOffBeforeRecordingIsAllowed) {
    ASSERT_EQ(0, controller_.EngineCheck(true));
    auto* client = static_cast<FakeEngineClient*>(controller_.EngineAccess());
    EXPECT_TRUE(controller_.QueryEndSession(window_.get())) << "nothing recorded yet: no question";
    EXPECT_EQ(0, client->cancels);
    EXPECT_TRUE(controller_.Cancel(window_.get())) << "confirmation settings are 0";
    EXPECT_EQ(1, client->cancels);
    EXPECT_TRUE(controller_.Events().UserCancelled());
    bool cancel = false;
    controller_.Events().CancelRequested(&cancel);
    EXPECT_TRUE(cancel);
}

// The question leaves the preparation going: while it is up and after No, the engine is not
// told to stop (tracks would go missing); Yes stops it.
TEST_F(BurnControllerTest, CancellingMarksTheRunOnlyOnYes) {
    controller_.Configure("&DEFINE_FIELD& Plugin_ConfirmCancelBeforeBurnStarted = 0, 1\n"
                          "Plugin_ConfirmCancelBeforeBurnStarted = 1\n");
    ASSERT_EQ(0, controller_.EngineCheck(true));
    for (const int answer : {IDNO, IDYES}) {
        bool boxSeen = false, markedWhileAsking = true, answered = false;
        std::thread user([&] {
            boxSeen = WaitUntil([] { return FindMessageBox(GetCurrentProcessId()) != nullptr; }, 10000);
            controller_.Events().CancelRequested(&markedWhileAsking);
            answered = AnswerMessageBox(GetCurrentProcessId(), answer, 10000);
        });
        EXPECT_EQ(answer == IDYES, controller_.Cancel(window_.get())) << answer;
        user.join();
        ASSERT_TRUE(boxSeen && answered) << answer << ": the question never appeared";
        bool marked = false;
        controller_.Events().CancelRequested(&marked);
        EXPECT_FALSE(markedWhileAsking) << answer;
        EXPECT_EQ(answer == IDYES, marked) << answer;
    }
}

TEST(BurnControllerAddress, OnlyWebAddressesAreOpened) {
    for (const char* web : {"http://example.org/engine", "HTTPS://example.org"}) EXPECT_TRUE(BurnController::IsWebAddress(web));
    for (const char* other : {"C:\\Windows\\System32\\calc.exe", "file://C:/x", "http:"}) {
        EXPECT_FALSE(BurnController::IsWebAddress(other)) << other;
    }
}

TEST(BurnControllerFailures, ARegistryFailureOnAnEngineThreadIsTracedNotThrown) {
    TestController controller;
    controller.SetRegistryBase(std::string(300, 'k')); // longer than a key name may be
    controller.Request().tracks = {{"C:\\a.wav"}};
    controller.Request().engineTrackNumbers.assign(1, -1);
    const TrackRecord record{"C:\\a.wav"};
    ASSERT_THROW(controller.SetBurnResults(BurnResult::Finished), std::runtime_error)
        << "the area must be unusable for this test";
    BurnEventPoster& events = controller.Events();
    std::thread engine([&] {
        events.TrackPreparationStarted();
        events.TrackAccepted(0, "C:\\a.wav", 0);
        events.RecordingStarted();
        events.TrackStarted(0, &record, 0);
        events.TrackEnded(0, &record, 100);
        events.RecordingFailed(E_FAIL, "x");
        events.RecordingFinished();
    });
    engine.join();
    EXPECT_EQ(0, events.PositionOfEngineTrack(0, nullptr));
}

} // namespace
