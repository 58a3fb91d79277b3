#pragma once
// BurnWindow: the burn window (dialog template 102). Shows the track list while the tracks
// are prepared, then the progress of erasing and recording, and hands Record, Options,
// Cancel and the session-end query to its partner, the application that runs the burn.
// Lives on the thread that created it, whose message filters give it its keyboard (Enter,
// Esc, Tab, access keys) while it exists; other threads reach it only through posted
// messages (the partner's events, the window's own worker threads). Owned by the partner;
// the object outlives its window. Owns its fonts, icons, picture frames (stepped on a window
// timer) and its worker threads (track preparation, disc wait). A window closed while a worker is still busy (an erase
// can't be stopped part-way) says so and goes once the worker has ended.
#include "support/MessageFilter.h"
#include "support/UniqueHandle.h"
#include "ui/BurnWindowPartner.h"
#include "ui/DialogBase.h"
#include "ui/PictureFrames.h"
#include "ui/TaskbarProgress.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class DiscWaitThread;
class TrackPreparationThread;

class BurnWindow : public DialogBase, public MessageFilter {
public:
    // The picture shows its next frame at this interval, on the window's timer.
    static constexpr UINT_PTR kFrameTimer = 1;
    static constexpr UINT kFrameIntervalMs = 15000;
    // The window's own messages, after the partner's events (BurnMessages).
    // The window posts itself this message to go once the session end has been allowed.
    static constexpr UINT kDestroyNow = WM_APP + 0x102;
    // The disc-wait thread posts this message as it ends; wParam: BurnWindowPartner::DiscWait,
    // or DiscWaitThread::kStopped when it was asked to stop.
    static constexpr UINT kDiscWaitEnded = WM_APP + 0x103;
    // Posted at initialisation: the work starts once the window is up, shown or not.
    static constexpr UINT kStartWork = WM_APP + 0x104;
    // The preparation thread posts this message as it ends.
    static constexpr UINT kPreparationEnded = WM_APP + 0x105;
    // A failure posts this message to show its box once the failure events queued with it
    // have been seen, so that one failure shows one box, the most specific.
    static constexpr UINT kShowFailureBox = WM_APP + 0x106;

    BurnWindow(BurnWindowPartner& partner, HINSTANCE instance);
    ~BurnWindow() override;

    // Creates the window from template 102 (not yet shown); null when that fails.
    HWND Create();

    // Whether the window ignores display updates (being torn down, or gone).
    bool Closing() const { return closing_ || !Handle(); }
    bool RecordingStarted() const { return recordingStarted_; }
    // MessageFilter: the dialog keyboard for the window and its controls.
    bool PreTranslateMessage(MSG* msg) override;
    const TaskbarProgress& Taskbar() const { return taskbar_; }

    // The part of a path after its last slash or backslash.
    static std::string FileName(const std::string& path);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, const NMHDR& header) override;
    bool OnClose() override;
    void OnDestroy() override;
    bool OnQueryEndSession(bool& allow) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Layout { Ready, Busy, Completed };
    enum TrackIcon { kWaiting, kRecording, kDone, kFailed, kInterrupted };

    // Display operations; none does anything while the window is closing.
    void SetText(int id, const std::string& text);
    void SetOverallStatus(UINT key);
    void SetTrackStatus(const std::string& text);
    void SetTrackStatus(const std::wstring& text);
    void SetSecondLabel(UINT key);
    void SetSecondBar(std::int32_t percent);
    void SetOverallBar(std::int32_t percent);
    void SetBar(int label, int bar, std::int32_t percent);
    void ShowTrackList();
    void HideRows();
    // Enables the buttons of the layout; its default button takes the focus (Record while
    // ready, Cancel while busy, Close when done), so Enter and Esc do what the window shows.
    void SetLayout(Layout layout);
    void SetRow(std::int32_t position, TrackIcon icon, const std::string& text);
    void ShowMessage(UINT key);
    // The Failed state: status, taskbar error, the Close layout and one message box.
    void ShowFailure(UINT status, UINT message);
    void StartWork();
    // Whether a worker that the window must wait for before it goes is still busy.
    bool WorkerBusy() const { return preparing_ || discWaiting_; }
    // Goes once no worker is busy any more.
    void CloseWhenIdle();
    void ShowInitialDescription();

    // The partner's events: each decoded once (its record taken out before) and handed to its
    // handler.
    void HandleEvent(UINT message, WPARAM wParam, LPARAM lParam, const BurnEventRecord* record);
    void OnRunEnded(bool ended);
    void OnPreparationStarted();
    void OnPreparationProgress(const BurnEventRecord& record);
    void OnTrackAccepted(const BurnEventRecord& record);
    void OnTrackRefused(const BurnEventRecord& record);
    void OnPreparationFinished();
    // The media or the device's state has changed.
    void OnMediaChanged();
    void OnEraseStarted();
    void OnEraseProgress(std::int32_t percent);
    void OnDeviceFailure(HRESULT code);
    void OnEraseCompleted();
    void OnRecordingStarted();
    void OnRecordingFailedShort();
    void OnStageStarted(std::int32_t stage);
    void OnStageProgress(const BurnEventRecord& record);
    // A stage's error, or the recording's failure.
    void OnRecordingError(const BurnEventRecord& record);
    void OnTrackStarted(const BurnEventRecord& record);
    void OnTrackProgress(const BurnEventRecord& record);
    void OnTrackError(const BurnEventRecord& record);
    void OnTrackEnded(const BurnEventRecord& record);
    void OnRecordingCancelled();
    void OnRecordingFinished();
    // The track status of the record's track while it is recorded.
    std::wstring TrackText(const BurnEventRecord& record);

    void FillTrackList();
    void StartRecording();
    // Erases the current device's disc and waits for it on the disc-wait thread.
    void StartDiscWait();
    void ShowOptions();
    void CancelPressed();
    // Asks the threads to stop (and the picture to stay); waits for them when wait is set.
    void StopThreads(bool wait);
    std::string Text(UINT id) const { return partner_.LoadText(id); }

    BurnWindowPartner& partner_;
    HINSTANCE instance_;
    std::string percentFormat_;
    std::map<UINT, std::string> messages_; // the texts of the track results, by key
    UniqueFont boldFont_;
    UniqueIcon bigIcon_, smallIcon_;
    PictureFrames frames_;
    TaskbarProgress taskbar_;
    Layout layout_ = Layout::Busy;
    std::size_t accepted_ = 0; // tracks the engine accepted in this preparation
    bool preparing_ = false, discWaiting_ = false, erasing_ = false;
    bool waitingToClose_ = false; // cancelled; goes once the busy worker has ended
    UINT failureBox_ = 0;         // the message of the failure box to show; 0 when none waits
    bool failureShown_ = false;
    bool closing_ = false;
    bool recordingStarted_ = false;
    bool recordingFinished_ = false;
    std::unique_ptr<TrackPreparationThread> preparation_;
    std::unique_ptr<DiscWaitThread> discWait_;
};
