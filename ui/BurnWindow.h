#pragma once
// BurnWindow: the burn window (dialog template 102). Shows the track list while the tracks
// are prepared, then the progress of erasing and recording, and hands Record, Options,
// Cancel and the session-end query to its partner, the application that runs the burn.
// Lives on the thread that created it; other threads reach it only through posted
// messages (the partner's events, the window's own worker threads). Owned by the partner;
// the object outlives its window. Owns its fonts, icons, pictures and its worker threads (track
// preparation, disc wait, picture frames), which it stops and waits for when the window is
// destroyed.
#include "ui/BurnWindowPartner.h"
#include "ui/DialogBase.h"
#include "ui/TaskbarProgress.h"
#include "support/Thread.h"
#include "support/UniqueHandle.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class BurnWindow : public DialogBase {
public:
    // The window posts itself this message to show the next picture frame.
    static constexpr UINT kNextFrame = WM_APP + 1;
    static constexpr DWORD kFrameIntervalMs = 15000;
    // The window posts itself this message to go once the session end has been allowed.
    static constexpr UINT kDestroyNow = WM_APP + 2;
    // The disc-wait thread posts this message as it ends; wParam: BurnWindowPartner::DiscWait.
    static constexpr UINT kDiscWaitEnded = WM_APP + 3;
    // The disc-wait thread reads the media state at this interval, at most this many times.
    static constexpr DWORD kDiscPollIntervalMs = 2000;
    static constexpr int kDiscPolls = 240;

    BurnWindow(BurnWindowPartner& partner, HINSTANCE instance);
    ~BurnWindow() override;

    // Creates the window from template 102 (not yet shown); null when that fails.
    HWND Create();

    // Whether the window ignores display updates (being torn down, or gone).
    bool Closing() const { return closing_ || !Handle(); }
    bool RecordingStarted() const { return recordingStarted_; }
    const TaskbarProgress& Taskbar() const { return taskbar_; }

    // The built-in formats, used when a language text does not fit the arguments.
    static constexpr char kPercentFormat[] = "%lu%%";
    static constexpr char kTrackStatusInitialFormat[] = "Tracks to record: %lu   Drive: %s";
    static constexpr char kTrackStatusRecordingFormat[] = "Track %lu of %lu: %s";
    static constexpr char kDriveNameFormat[] = "(%c:) %s";
    static constexpr char kSpeedFormat[] = "%lux";

    // The language text of the key as a format for these arguments (see FormatCheck),
    // filled in.
    static std::string FormatText(const std::string& languageText, const char* builtIn, const char* arguments, ...);
    // The part of a path after its last slash or backslash.
    static std::string FileName(const std::string& path);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, const NMHDR& header) override;
    bool OnPaint() override;
    bool OnClose() override;
    void OnDestroy() override;
    bool OnQueryEndSession(bool& allow) override;
    bool OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class PreparationThread;
    class DiscWaitThread;
    class PictureThread;

    enum class Layout { Ready, Busy, Completed };
    enum TrackIcon { kWaiting, kRecording, kDone, kFailed, kInterrupted };

    // Display operations; none does anything while the window is closing.
    void SetText(int id, const std::string& text);
    void SetOverallStatus(UINT key);
    void SetTrackStatus(const std::string& text);
    void SetSecondLabel(UINT key);
    void SetSecondBar(std::int32_t percent);
    void SetOverallBar(std::int32_t percent);
    void SetBar(int label, int bar, std::int32_t percent);
    void ShowTrackList();
    void HideRows();
    void SetLayout(Layout layout);
    void SetRow(std::int32_t position, TrackIcon icon, const std::string& text);
    void ShowMessage(UINT key);
    // The Failed state: status, message, taskbar error and the Close layout.
    void ShowFailure(UINT status, UINT message);
    void ShowInitialDescription();

    void HandleEvent(UINT message, WPARAM wParam, LPARAM lParam, const BurnEventRecord* record);
    void StageStarted(std::int32_t stage);
    void FillTrackList();
    void StartRecording();
    // Erases the current device's disc and waits for it on the disc-wait thread.
    void StartDiscWait();
    void ShowOptions();
    void CancelPressed();
    // Asks the threads to stop; waits for them when wait is set.
    void StopThreads(bool wait);
    std::string Text(UINT id) const { return partner_.LoadText(id); }

    BurnWindowPartner& partner_;
    HINSTANCE instance_;
    std::string percentFormat_;
    std::map<UINT, std::string> messages_; // the texts of the track results, by key
    UniqueFont boldFont_;
    UniqueIcon bigIcon_, smallIcon_;
    std::array<UniqueBitmap, 4> frames_;
    std::size_t frame_ = 0;
    TaskbarProgress taskbar_;
    bool painted_ = false;
    bool closing_ = false;
    bool recordingStarted_ = false;
    bool recordingFinished_ = false;
    std::unique_ptr<PreparationThread> preparation_;
    std::unique_ptr<DiscWaitThread> discWait_;
    std::unique_ptr<PictureThread> picture_;
};
