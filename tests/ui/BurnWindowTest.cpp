// The burn window from the program's own template, driven by event messages as the
// controller posts them and answered by a scripted partner. Without the wedge the string
// table's texts are the keys themselves, so every text the window shows reads as its key.
#include "common/HostKit.h"
#include "engine/RecordingEngineTypes.h"
#include "res/resource.h"
#include "support/UniqueHandle.h"
#include "tests/ui/FakePartner.h"
#include "ui/BurnMessages.h"
#include "ui/BurnWindow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace BurnMessages;
using namespace testsupport;

class BurnWindowTest : public testing::Test {
protected:
    void Open() {
        window_ = std::make_unique<BurnWindow>(partner_, GetModuleHandleA(nullptr));
        owned_.reset(handle_ = window_->Create());
        ASSERT_NE(nullptr, handle_);
        partner_.window = handle_;
        ShowWindow(handle_, SW_SHOW), UpdateWindow(handle_), Pump();
    }
    // The window's end posts a quit message, which must not reach the next case.
    void Close() { owned_.reset(), Pump(); }
    void TearDown() override { Close(); }
    // Handles what is queued; answers the quit code when the window ended the loop.
    std::optional<int> Pump() {
        std::optional<int> quit;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = static_cast<int>(msg.wParam);
            else TranslateMessage(&msg), DispatchMessageA(&msg);
        }
        return quit;
    }
    // Pumps until the window ends the loop (its workers may still be ending); the quit code.
    std::optional<int> PumpUntilQuit() {
        std::optional<int> quit;
        for (int i = 0; i < 500 && !quit; ++i) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), quit = Pump();
        return quit;
    }
    void Deliver(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { PostMessageA(handle_, message, wParam, lParam), Pump(); }
    HWND Item(int id) const { return GetDlgItem(handle_, id); }
    std::string ItemText(int id) const { return WindowText(Item(id)); }
    int Bar(int id) const { return static_cast<int>(SendMessageA(Item(id), PBM_GETPOS, 0, 0)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    std::string RowState(int row) const {
        char text[256] = {};
        ListView_GetItemText(Item(IDC_TRACK_LIST), row, 1, text, sizeof text);
        return text;
    }
    int RowIcon(int row) const {
        LVITEMA item{};
        item.mask = LVIF_IMAGE, item.iItem = row;
        SendMessageA(Item(IDC_TRACK_LIST), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    // Prepares the three tracks, the second refused.
    void Prepare() {
        Deliver(kPreparationStarted);
        partner_.PostRecord(kTrackAccepted, {0, 0, 0, 0, S_OK, partner_.tracks[0].path, ""});
        partner_.PostRecord(kTrackRefused, {1, 0, 0, 0, E_ACCESSDENIED, partner_.tracks[1].path, ""});
        partner_.PostRecord(kTrackAccepted, {2, 0, 0, 0, S_OK, partner_.tracks[2].path, ""});
        Deliver(kPreparationFinished);
    }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0), Pump(); }

    FakePartner partner_;
    std::unique_ptr<BurnWindow> window_;
    HWND handle_ = nullptr; // the window goes by itself on close; destroying it again does nothing
    UniqueWindow owned_;
};

// One recording step by step, with what the window shows after each step (unset: not checked).
TEST_F(BurnWindowTest, PreparesOnOpeningThenShowsARecordingsStagesTracksAndBars) {
    Open();
    EXPECT_EQ("{IDS_TEXT_BURN_WINDOW_TITLE} {IDS_TEXT_VERSION} {IDS_OVERALLSTATUS_INITIAL}",
              WindowText(handle_) + " " + ItemText(IDC_VERSION) + " " + ItemText(IDC_OVERALL_STATUS));
    // The language has no usable format yet: the built-in one describes the run.
    EXPECT_EQ("Tracks to record: 3   Drive: ", ItemText(IDC_TRACK_STATUS));
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_FALSE(Enabled(IDC_RECORD)); // until the tracks are prepared
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(partner_.prepared.get(), 5000)) << "no preparation started";
    EXPECT_EQ(1, partner_.preparations);

    Prepare();
    EXPECT_EQ("{IDS_OVERALLSTATUS_INITIAL}", ItemText(IDC_OVERALL_STATUS));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_TRACK_LIST)));
    EXPECT_EQ(3, SendMessageA(Item(IDC_TRACK_LIST), LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("{IDS_TEXT_FILE_PREP_SUCCEEDED} {IDS_ERROR_ADDTRACK_DISALLOWED}", RowState(0) + " " + RowState(1));
    EXPECT_EQ(3, RowIcon(1)); // failed
    EXPECT_TRUE(Enabled(IDC_RECORD));
    EXPECT_TRUE(Enabled(IDC_OPTIONS));

    Click(IDC_RECORD);
    EXPECT_EQ(1, partner_.records);
    EXPECT_FALSE(Enabled(IDC_RECORD));

    struct Step { // row: a row and its state icon
        UINT message; WPARAM wParam; std::optional<BurnEventRecord> record;
        std::optional<std::string> status, trackStatus, secondLabel;
        std::optional<int> second, overall, row, icon;
    };
    const auto track = [&](int position, int p1, int p2) {
        return BurnEventRecord{position, 0, p1, p2, S_OK, partner_.tracks[static_cast<std::size_t>(position)].path, ""};
    };
    const Step steps[] = {
        {kRecordingStarted, 0, {}, "{IDS_TEXT_BURNING}", "", "{IDS_TEXT_TRACK_PROGRESS}", 0, 0, {}, {}},
        {kStageStarted, 3, {}, "{IDS_OVERALLSTATUS_BUFFERING}", "", "{IDS_TEXT_SESSION_PROGRESS}", 0, {}, {}, {}},
        {kStageProgress, 0, BurnEventRecord{-1, 3, 40, 5, S_OK, "", ""}, {}, {}, {}, 40, 5, {}, {}},
        // Stage 5 keeps the overall status and labels the bar for tracks.
        {kStageStarted, 5, {}, "{IDS_OVERALLSTATUS_BUFFERING}", "", "{IDS_TEXT_TRACK_PROGRESS}", 0, {}, {}, {}},
        {kTrackStarted, 0, track(0, 0, 0), "{IDS_TEXT_BURNING}", "Track 1 of 3: a.wav", {}, {}, {}, 0, 1},
        // Percentages outside 0..100 are clamped.
        {kTrackProgress, 0, track(0, 150, -20), {}, "Track 1 of 3: a.wav", {}, 100, 0, {}, {}},
        {kTrackProgress, 0, track(0, 60, 30), {}, {}, {}, 60, 30, {}, {}},
        {kTrackEnded, 0, track(0, 100, 0), {}, {}, {}, 100, {}, 0, 2},
        {kTrackStarted, 0, track(2, 0, 0), {}, "Track 3 of 3: c.wav", {}, {}, {}, 2, 1},
        {kTrackEnded, 0, track(2, 100, 0), {}, {}, {}, 100, {}, 2, 2},
        {kStageStarted, 7, {}, "{IDS_OVERALLSTATUS_FINALIZING}", "", "{IDS_TEXT_SESSION_PROGRESS}", 0, {}, {}, {}},
        {kStageEnded, 7, {}, "{IDS_OVERALLSTATUS_FINALIZING}", {}, {}, {}, {}, {}, {}},
        {kRecordingFinished, 0, {}, "{IDS_OVERALLSTATUS_COMPLETE}", {}, {}, {}, 100, {}, {}},
    };
    const auto check = [](const auto& expected, const auto& shown) { if (expected) { EXPECT_EQ(*expected, shown); } };
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(n++) + ": " + std::string(Name(step.message)));
        if (step.record) partner_.PostRecord(step.message, *step.record), Pump();
        else Deliver(step.message, step.wParam);
        check(step.status, ItemText(IDC_OVERALL_STATUS));
        check(step.trackStatus, ItemText(IDC_TRACK_STATUS));
        check(step.secondLabel, ItemText(IDC_SECOND_LABEL));
        check(step.second, Bar(IDC_SECOND_BAR));
        check(step.second ? std::optional(std::to_string(*step.second) + "%") : std::nullopt, ItemText(IDC_SECOND_BAR));
        check(step.overall, Bar(IDC_OVERALL_BAR));
        check(step.icon, step.row ? RowIcon(*step.row) : -1);
    }
    EXPECT_EQ("{IDS_TEXT_TRACK_RECORDED} {IDS_ERROR_ADDTRACK_DISALLOWED}", RowState(0) + " " + RowState(1));
    // Completed without closing by itself: Cancel has become Close.
    EXPECT_EQ("{IDS_BUTTON_CLOSE}", ItemText(IDCANCEL));
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_FALSE(Enabled(IDC_RECORD));
    EXPECT_EQ(TaskbarProgress::State::Normal, window_->Taskbar().LastState());
    EXPECT_EQ(100, window_->Taskbar().LastPercent());
    EXPECT_EQ(0u, partner_.Queued());
}

// Records queued when the window closes are taken without changing anything.
TEST_F(BurnWindowTest, CancelClosesOnlyWhenThePartnerAgreesAndTakesTheQueuedRecords) {
    Open();
    Deliver(kRecordingStarted);
    Deliver(kStageStarted, 5);
    partner_.cancelAccepted = false;
    SendMessageA(Item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_FALSE(Pump().has_value()); // no quit code: the window stays
    EXPECT_TRUE(IsWindow(handle_));
    partner_.cancelAccepted = true;
    partner_.PostRecord(kTrackProgress, {0, 0, 70, 70, S_OK, partner_.tracks[0].path, ""});
    partner_.PostRecord(kStageProgress, {-1, 5, 80, 80, S_OK, "", ""});
    HWND bar = Item(IDC_SECOND_BAR);
    SendMessageA(handle_, WM_CLOSE, 0, 0);
    EXPECT_EQ(std::optional<int>(2), PumpUntilQuit()); // the run's loop ends with code 2
    EXPECT_FALSE(IsWindow(handle_));
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(0u, partner_.Queued());
    EXPECT_EQ(2, partner_.cancels);
}

TEST_F(BurnWindowTest, TheSessionEndAsksOnlyOnceRecordingHasStarted) {
    Open();
    EXPECT_EQ(TRUE, SendMessageA(handle_, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(0, partner_.queries);
    Deliver(kRecordingStarted);
    partner_.endAllowed = false;
    EXPECT_EQ(FALSE, SendMessageA(handle_, WM_QUERYENDSESSION, 0, 0));
    EXPECT_TRUE(IsWindow(handle_));
    partner_.endAllowed = true;
    EXPECT_EQ(TRUE, SendMessageA(handle_, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(std::optional<int>(2), Pump());
    EXPECT_FALSE(IsWindow(handle_));
    EXPECT_EQ(2, partner_.queries);
}

// Each failure, and the failure events of one failed recording, show one box with the most
// specific text.
TEST_F(BurnWindowTest, AFailureShowsItsStatusOneMessageAndTheTaskbarError) {
    const HRESULT underrun = RECORDING_E_BUFFER_UNDERRUN;
    // events: the plain message's lParam, or the record's code
    const struct { std::vector<std::pair<UINT, HRESULT>> events; const char* status; const char* box; } rows[] = {
        {{{kDeviceFailure, RECORDING_E_MEDIA_NOT_REWRITABLE}}, "{IDS_OVERALLSTATUS_ERASE_FAILED}", "{IDS_ERROR_DISK_NOT_ERASABLE}"},
        {{{kDeviceFailure, E_FAIL}}, "{IDS_OVERALLSTATUS_ERASE_FAILED}", "{IDS_ERROR_ERASE_FAILED}"},
        {{{kRecordingFailedShort, 0}}, "{IDS_OVERALLSTATUS_BURN_ERROR}", "{IDS_ERROR_BURN_FAILED}"},
        {{{kStageError, E_FAIL}}, "{IDS_OVERALLSTATUS_BURN_ERROR}", "{IDS_ERROR_BURN_FAILED}"},
        {{{kTrackError, E_FAIL}, {kTrackError, underrun}, {kRecordingFailed, E_FAIL}}, "{IDS_OVERALLSTATUS_BURN_ERROR}",
         "{IDS_ERROR_BURN_UNDERRUN}"},
        {{{kRecordingFailed, underrun}}, "{IDS_OVERALLSTATUS_BURN_ERROR}", "{IDS_ERROR_BURN_UNDERRUN}"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.events.size() > 1 ? "several events" : row.box);
        Open();
        Deliver(kRecordingStarted);
        Deliver(kStageStarted, 5);
        std::vector<std::string> boxes;
        std::thread user([&] {
            for (MessageBoxSeen seen; AnswerMessageBox(GetCurrentProcessId(), IDOK, boxes.empty() ? 10000 : 1500, &seen);) {
                boxes.push_back(seen.text);
                if (row.events.size() == 1) break;
            }
        });
        for (const auto& [message, code] : row.events) {
            if (message == kDeviceFailure || message == kRecordingFailedShort) PostMessageA(handle_, message, 0, code);
            else partner_.PostRecord(message, {0, 5, 0, 0, code, partner_.tracks[0].path, "engine"});
        }
        Pump();
        user.join();
        EXPECT_EQ(std::vector<std::string>{row.box}, boxes);
        EXPECT_EQ(row.status, ItemText(IDC_OVERALL_STATUS));
        EXPECT_EQ(TaskbarProgress::State::Error, window_->Taskbar().LastState());
        EXPECT_EQ("{IDS_BUTTON_CLOSE}", ItemText(IDCANCEL));
        Close();
    }
}

// The erase's texts stay; the run's description stays visible above the track list.
TEST_F(BurnWindowTest, MediaEventsChangeTheStatusOnlyWhileTheWindowIsReady) {
    Open();
    Prepare();
    EXPECT_TRUE(IsWindowVisible(Item(IDC_TRACK_STATUS)));
    EXPECT_EQ("Tracks to record: 3   Drive: ", ItemText(IDC_TRACK_STATUS));
    const struct { UINT message; WPARAM wParam; LPARAM lParam; const char* status; } steps[] = {
        {kEraseStarted, 0, 0, "{IDS_OVERALLSTATUS_ERASING_DISK}"},
        {kMediaChanged, 1, 0, "{IDS_OVERALLSTATUS_ERASING_DISK}"},
        {kEraseCompleted, 0, 0, "{IDS_OVERALLSTATUS_ERASE_COMPLETED}"},
        {kDeviceStateChanged, 1, 0, "{IDS_OVERALLSTATUS_ERASE_COMPLETED}"},
        {kRunEnded, 0, 1, "{IDS_OVERALLSTATUS_ERASE_COMPLETED}"}, // a refused disc: ready again
        {kMediaChanged, 1, 0, "{IDS_OVERALLSTATUS_INITIAL}"},
    };
    for (const auto& step : steps) {
        Deliver(step.message, step.wParam, step.lParam);
        EXPECT_EQ(step.status, ItemText(IDC_OVERALL_STATUS)) << "after " << Name(step.message);
    }
}

// An erase can't be stopped: the window stays responsive and goes once it has ended. The
// language's percent format is used as it fits (one that doesn't: the recording's steps above).
TEST_F(BurnWindowTest, CancelDuringAnEraseWaitsForItsEnd) {
    const UniqueKernelHandle erase(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    partner_.hold = erase.get();
    partner_.texts[IDS_FORMAT_PERCENT] = "%lu %%";
    Open();
    Deliver(kEraseStarted);
    Click(IDCANCEL);
    ASSERT_TRUE(IsWindow(handle_)) << "the window went with the erase still running";
    EXPECT_EQ("{IDS_OVERALLSTATUS_WAITING_FOR_ERASE}", ItemText(IDC_OVERALL_STATUS));
    EXPECT_FALSE(Enabled(IDCANCEL));
    Deliver(kEraseProgress, 60);
    EXPECT_EQ(60, Bar(IDC_OVERALL_BAR));
    EXPECT_EQ("60 % 60 %", ItemText(IDC_OVERALL_BAR) + " " + ItemText(IDC_TRACK_STATUS));
    SetEvent(erase.get());
    EXPECT_EQ(std::optional<int>(2), PumpUntilQuit());
    EXPECT_FALSE(IsWindow(handle_));
}

} // namespace
