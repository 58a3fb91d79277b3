#pragma once
// BurnController: the application object. Parses the burn command line, runs the start
// checks (engine check, media query) and the run, and answers what the burn window asks;
// the engine client's events go to its BurnEventPoster. One static instance. The run, the
// checks and cancelling happen on the main thread, the track preparation on the window's
// preparation thread. Owns the engine client (one reference), the channel to the burn
// window and the event poster.
#include "app/BurnEventPoster.h"
#include "app/BurnRequest.h"
#include "app/BurnResults.h"
#include "app/BurnWindowChannel.h"
#include "app/PluginBase.h"
#include "app/PluginEngineClient.h"
#include "app/StartChecks.h"
#include "support/ComPtr.h"
#include "ui/BurnWindowPartner.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AppModule;
class BurnWindow;

class BurnController : public PluginBase, public StartChecks, public BurnWindowPartner {
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
    // reason in result) when that fails.
    virtual ComPtr<PluginEngineClient> CreateEngine(const std::string& clientName, LONG value, HRESULT* result);

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
    // The engine client's event sink.
    BurnEventPoster& Events() { return events_; }

    // StartChecks
    void SetBurnResults(BurnResult result) override { RegistryResults::SetBurnResults(result); }
    void ShowNoCommandLine() override;
    void ReportUnknownFlag(const std::string& line) override;
    std::int32_t EngineCheck(bool quiet) override;
    void MediaQuery() override;

    // The class of an engine check's result for the host's EngineCheckResult.
    static EngineCheckResult EngineCheckClass(std::int32_t result);
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

    // Message key for a refused track's result code.
    static UINT RefusedTrackMessage(HRESULT code);

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
    // A new layout: the playlist's disc texts, then its tracks in order.
    void HandTracksToEngine();

    HINSTANCE instance_ = nullptr;
    BurnRequest request_;
    BurnWindowChannel channel_;
    BurnEventPoster events_{request_, channel_, *this};
    ComPtr<PluginEngineClient> client_; // before the sink it reports to is gone
    std::unique_ptr<BurnWindow> window_; // the window object of a window run
    std::atomic<bool> completed_{false};
};
