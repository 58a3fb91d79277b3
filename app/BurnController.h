#pragma once
// BurnController: the application object. Parses the burn command line, runs the start
// checks (engine check, media query) and the run, and turns every event of the engine
// client into a result value in the registry and, when a burn window is attached, a posted
// window message. One static instance. The run, the checks and cancelling happen on the
// main thread; the BurnEventSink slots are called on the main thread, the engine client's
// worker thread and the engine's own threads, where they only write the registry and post.
// Owns the engine client (one reference) and the channel to the burn window.
#include "app/BurnRequest.h"
#include "app/BurnWindowChannel.h"
#include "app/PluginBase.h"
#include "app/PluginEngineClient.h"
#include "app/StartChecks.h"
#include "engine/BurnEventSink.h"
#include "support/ComPtr.h"
#include "ui/BurnWindowPartner.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class AppModule;
class BurnWindow;

class BurnController : public PluginBase, public StartChecks, public BurnEventSink, public BurnWindowPartner {
public:
    BurnController();
    ~BurnController() override;

    bool Initialise(HINSTANCE instance) override;

    // PluginBase
    const std::vector<std::string>& AllowedExtensions() override { return Settings().AllowedExtensions(); }
    std::int32_t MaxBurnSpeed() override { return Settings().MaxBurnSpeed(); }
    // The engine client, registering this controller as its sink again; null without one.
    EngineClient* EngineAccess() override;
    // The program's name for captions (IDS_PLUGIN_APP), then the disc check's messages.
    std::string Caption() override;
    std::string DriveNotReadyText() override;
    std::string NoDiscInDriveText() override;
    std::string ProblemReadingDiscText() override;
    std::string DiscHasDataTracksText() override;
    std::string DiscHasAudioTracksText() override;
    std::string DiscIsFullText() override;
    std::string AskEraseRewritableText() override;
    std::string EraseFailedText() override;

    // Creates and opens an engine client for the host's application name; null (with the
    // reason in result) when that fails. The caller owns the reference answered.
    virtual PluginEngineClient* CreateEngine(const std::string& clientName, LONG value, HRESULT* result);

    // The text of a string-table entry, in the user's language once localisation is up.
    std::string LoadText(UINT id) const override;

    // Parses the command-line tail and runs the start checks; true when the process ends now.
    bool Parse(const std::string& commandLineTail) { return request_.Parse(commandLineTail, *this); }
    // Reads the playlist and performs the burn: silently, or with the burn window and a
    // message loop registered with the module. Returns when the silent burn has ended or
    // the window is gone.
    void Run(AppModule& module);
    // Releases the engine client; called before COM is left.
    void CloseEngine();

    BurnRequest& Request() { return request_; }
    BurnWindowChannel& Channel() { return channel_; }

    // StartChecks
    void SetBurnResults(std::int32_t code) override { RegistryResults::SetBurnResults(code); }
    void ShowNoCommandLine() override;
    void ReportUnknownFlag(const std::string& line) override;
    std::int32_t EngineCheck(bool quiet) override;
    void MediaQuery() override;

    // The class of an engine check's result for EngineCheckResult: 1 no usable drive,
    // 2 no engine, 0 anything else.
    static std::int32_t EngineCheckClass(std::int32_t result);
    // Only web addresses (http:// or https://, any case) are opened.
    static bool IsWebAddress(const std::string& address);

    // ---- What the burn window calls.
    // Whether cancelling asks the user first.
    static bool CancelNeedsConfirmation(bool recordingStarted, bool confirmBefore, bool confirmAfter, bool completed,
                                        std::size_t trackCount, bool errorReported);
    // The window's Cancel or Close: asks for confirmation where it applies; false when the
    // user kept the burn. True when the burn was cancelled (the window then stops its
    // worker and destroys itself).
    bool Cancel(HWND window) override;
    // The system asks whether the user's logon may end: true to allow it (a running
    // recording is cancelled after the user agreed).
    bool QueryEndSession(HWND window) override;
    // The window handles the recording-finished message.
    Completion CompleteBurn() override;
    // The window's Record action: checks the disc (asking) and records; when the user agreed
    // to erase, leaves erasing to the window's disc-wait thread.
    RecordStart Record(HWND window) override;
    // The window's disc-wait thread has ended: records on a ready disc; returns the window to
    // its ready state when the disc never became ready (a failed erase is on show already).
    void DiscWaitEnded(DiscWait outcome) override;

    // BurnWindowPartner: the rest of what the window asks.
    std::unique_ptr<BurnEventRecord> TakeRecord(LPARAM address) override { return channel_.Take(address); }
    const std::vector<TrackEntry>& Tracks() override { return request_.tracks; }
    Modes RunModes() override { return {request_.eraseFirst, request_.eraseOnly, request_.burnAtOnce}; }
    UINT RefusalMessage(HRESULT code) const override { return RefusedTrackMessage(code); }
    // On the window's preparation thread: erases the current device's disc with progress
    // when asked, then hands the playlist to the engine client.
    void PrepareTracks(bool eraseFirst) override;

    // Track value and message key for a refused track's result code.
    static std::int32_t RefusedTrackValue(HRESULT code);
    static UINT RefusedTrackMessage(HRESULT code);
    // The playlist position (from 0) of an engine track index: the position whose accepted
    // track got that number, else the last entry with the record's path; -1 when none.
    std::int32_t PositionOfEngineTrack(std::int32_t engineTrack, const TrackRecord* record);

    bool UserCancelled() const { return userCancelled_.load(); }
    bool AllTracksAccepted() const { return allAccepted_.load(); }
    bool RecordingHasStarted() const { return recordingStarted_.load(); }
    bool ErrorReported() const { return errorReported_.load(); }

    // BurnEventSink: each writes its result value and posts its message; never throws.
    HRESULT MediaChanged(bool present) override;
    HRESULT DeviceStateChanged(bool ready) override;
    HRESULT EraseStarted() override;
    HRESULT EraseProgress(std::int32_t percent) override;
    HRESULT DeviceFailure(HRESULT code) override;
    HRESULT EraseCompleted() override;
    HRESULT RecordingStarted() override;
    HRESULT RecordingFailedShort(std::int32_t value) override;
    HRESULT StageStarted(std::int32_t stage) override;
    HRESULT StageProgress(std::int32_t stage, std::int32_t percent1, std::int32_t percent2) override;
    HRESULT StageEnded(std::int32_t stage) override;
    HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) override;
    HRESULT TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) override;
    HRESULT TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t percent1,
                          std::int32_t percent2) override;
    HRESULT TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) override;
    HRESULT TrackInterrupted(std::int32_t track, const TrackRecord* record) override;
    HRESULT TrackError(std::int32_t track, const TrackRecord* record, HRESULT code, const std::string& text) override;
    HRESULT RecordingFailed(HRESULT code, const std::string& text) override;
    HRESULT RecordingCancelled(bool byUser) override;
    HRESULT RecordingFinished() override;
    HRESULT RunEnded(bool ended, bool cancelled) override;
    HRESULT TrackPreparationStarted() override;
    HRESULT CancelRequested(bool* cancel) override;
    HRESULT TrackPreparationProgress(std::int32_t position, const std::string& path, std::int32_t percent) override;
    HRESULT TrackAccepted(std::int32_t position, const std::string& path, std::int32_t engineTrack) override;
    HRESULT TrackRefused(std::int32_t position, const std::string& path, HRESULT code) override;
    HRESULT TrackPreparationFinished() override;

protected:
    // The burn window from dialog template 102; null when it can't be made.
    virtual HWND CreateBurnWindow();

private:
    static bool FileExists(const std::string& path, bool utf8);
    // An entry whose path names no file takes its decoded path when that names one.
    static void PreferExistingPaths(std::vector<TrackEntry>& tracks);
    // Creates and opens the engine client; answers the engine's result code.
    std::int32_t OpenEngineClient();
    void ShowEngineCheckMessage(std::int32_t result);
    // Opens a web address through the system's file explorer; failures are not reported.
    static void OpenAddress(const std::string& address);

    // How the host asked the program's window to be shown (it may start it minimised), as
    // the system does for SW_SHOWDEFAULT.
    static int HostShowCommand();
    // A CUE sheet is recorded as written or not at all: one that cannot be read, or whose
    // gaps track-at-once would change, ends the run before anything is recorded (a box
    // unless silent); true then.
    bool RefuseAlbum();
    bool LevelLoudness() const override;
    void SetLevelLoudness(bool level) override;
    void RunSilent();
    void RunWindow(AppModule& module);
    // Whether the engine holds a track to record (true when it can't say).
    bool EngineHoldsTracks();
    // Cancels without asking: sets the flag and stops the engine client.
    void CancelNow();
    // The engine track numbers sized to the playlist, every entry unknown.
    void ResetTrackNumbers();
    // A new layout: the playlist's disc texts, then its tracks in order.
    void HandTracksToEngine();
    void SetTrackValue(std::int32_t position, std::int32_t code);
    // Posts the record of a per-track event for the playlist position.
    void PostTrackRecord(UINT message, std::int32_t position, const TrackRecord* record, std::int32_t percent1,
                         std::int32_t percent2, HRESULT code, const std::string& text);
    // Runs an event handler, tracing whatever it throws.
    template <class Handler>
    HRESULT Guarded(const char* slot, Handler&& handler) noexcept;

    HINSTANCE instance_ = nullptr;
    BurnRequest request_;
    ComPtr<PluginEngineClient> client_;
    BurnWindowChannel channel_;
    std::unique_ptr<BurnWindow> window_; // the window object of a window run
    std::mutex numbersLock_; // guards request_.engineTrackNumbers
    std::atomic<bool> allAccepted_{true};
    std::atomic<bool> userCancelled_{false};
    std::atomic<bool> recordingStarted_{false};
    std::atomic<bool> errorReported_{false};
    std::atomic<bool> completed_{false};
};
