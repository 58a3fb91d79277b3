#include "app/BurnController.h"

#include "app/AppModule.h"
#include "ui/BurnMessages.h"
#include "app/DiscCheck.h"
#include "app/MessageLoop.h"
#include "res/resource.h"
#include "string_ext.h"
#include "support/DebugTrace.h"
#include "ui/BurnWindow.h"

#include <exception>
#include <iostream>
#include <memory>
#include <vector>

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

BurnController::BurnController() = default;
BurnController::~BurnController() = default;

bool BurnController::Initialise(HINSTANCE instance) {
    instance_ = instance;
    return PluginBase::Initialise(instance);
}

std::string BurnController::LoadText(UINT id) const {
    char text[4096];
    const int n = LoadStringA(instance_, id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

EngineClient* BurnController::EngineAccess() {
    if (!client_) return nullptr;
    client_->SetEventSink(&events_);
    return client_.get();
}

void BurnController::CloseEngine() { client_.reset(); }

std::string BurnController::Caption() { return LoadText(IDS_PLUGIN_APP); }
std::string BurnController::DriveNotReadyText() { return LoadText(IDS_ERROR_DRIVE_NOT_READY); }
std::string BurnController::NoDiscInDriveText() { return LoadText(IDS_ERROR_NO_DISK_IN_DRIVE); }
std::string BurnController::ProblemReadingDiscText() { return LoadText(IDS_ERROR_PROBLEM_READING_DISK); }
std::string BurnController::DiscHasDataTracksText() { return LoadText(IDS_ERROR_DISK_HAS_DATA_TRACKS); }
std::string BurnController::DiscHasAudioTracksText() { return LoadText(IDS_ERROR_DISK_HAS_AUDIO_TRACKS); }
std::string BurnController::DiscIsFullText() { return LoadText(IDS_ERROR_DISK_IS_FULL); }
std::string BurnController::AskEraseRewritableText() { return LoadText(IDS_TEXT_ASK_ERASE_CDRW); }
std::string BurnController::EraseFailedText() { return LoadText(IDS_ERROR_ERASE_FAILED); }

void BurnController::ShowNoCommandLine() {
    MessageBoxA(nullptr, LoadText(IDS_ERROR_NO_COMMAND_LINE).c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
}

void BurnController::ReportUnknownFlag(const std::string& line) { std::cerr << line << std::endl; }

// ---- Engine check and media query.

EngineCheckResult BurnController::EngineCheckClass(std::int32_t result) {
    switch (result) {
    case ENGINE_E_NO_CURRENT_DEVICE:
    case RECORDING_E_NOT_READY:
    case ENGINE_E_NO_DEVICE:
        return EngineCheckResult::NoDrive;
    case ENGINE_E_NO_ENGINE:
    case ENGINE_E_ENGINE_UNAVAILABLE:
        return EngineCheckResult::NoEngine;
    default:
        return EngineCheckResult::Usable;
    }
}

ComPtr<PluginEngineClient> BurnController::CreateEngine(const std::string& clientName, LONG value, HRESULT* result) {
    ComPtr<PluginEngineClient> client = ComPtr<PluginEngineClient>::Attach(new PluginEngineClient(*this));
    const HRESULT opened = client->Open(clientName, value);
    if (result) *result = opened;
    if (FAILED(opened)) return nullptr;
    return client;
}

std::int32_t BurnController::OpenEngineClient() {
    if (client_) return 0;
    HRESULT result = ENGINE_E_NO_ENGINE;
    client_ = CreateEngine(LoadText(IDS_PARTNER_APP), 0, &result);
    if (!client_) return FAILED(result) ? result : ENGINE_E_NO_ENGINE;
    client_->SetEventSink(&events_);
    return static_cast<std::int32_t>(result);
}

std::int32_t BurnController::EngineCheck(bool quiet) {
    const std::int32_t result = OpenEngineClient();
    SetEngineCheckResult(EngineCheckClass(result));
    if (!quiet) ShowEngineCheckMessage(result);
    return result;
}

void BurnController::ShowEngineCheckMessage(std::int32_t result) {
    const std::string caption = LoadText(IDS_PARTNER_APP);
    UINT text = 0;
    switch (result) {
    case 0:
        return;
    case ENGINE_E_NO_ENGINE: {
        const int answer = MessageBoxA(nullptr, LoadText(IDS_TEXT_NO_ENGINE_FOUND).c_str(), caption.c_str(), MB_YESNO);
        if (answer == IDYES || answer == IDOK) OpenAddress(LoadText(IDS_URL_FREE_ENGINE));
        return;
    }
    case ENGINE_E_NO_CURRENT_DEVICE:
    case RECORDING_E_NOT_READY:
        text = IDS_ERROR_DRIVE_NOT_READY;
        break;
    case ENGINE_E_NO_DEVICE:
        text = IDS_TEXT_NO_BURNING_DEVICES_FOUND;
        break;
    default:
        text = IDS_TEXT_UNKNOWN_INIT_FAILURE;
        break;
    }
    MessageBoxA(nullptr, LoadText(text).c_str(), caption.c_str(), MB_OK);
}

bool BurnController::IsWebAddress(const std::string& address) {
    return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

void BurnController::OpenAddress(const std::string& address) {
    // The address is a language text: anything but a web address (a local program, say)
    // is not started.
    if (!IsWebAddress(address) || address.find('"') != std::string::npos) {
        DebugTrace("BurnController: not opening '%s': not a web address\n", address.c_str());
        return;
    }
    char windows[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    std::string line = "\"" + std::string(windows, n <= MAX_PATH ? n : 0) + "\\Explorer.exe\" " + address;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &info)) {
        UniqueKernelHandle thread(info.hThread), process(info.hProcess);
    }
}

void BurnController::MediaQuery() { DiscCheck::MediaQuery(*this); }

// ---- The run.

bool BurnController::FileExists(const std::string& path, bool utf8) {
    try {
        return GetFileAttributesW(convert_wstring(path, utf8 ? CP_UTF8 : CP_ACP).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (const convert_wstring_failed&) {
        return false;
    }
}

void BurnController::PreferExistingPaths(std::vector<TrackEntry>& tracks) {
    for (TrackEntry& track : tracks) {
        if (!track.decodedPath.empty() && !FileExists(track.path, track.utf8) && FileExists(track.decodedPath, track.utf8))
            track.path = std::move(track.decodedPath);
    }
}

void BurnController::Run(AppModule& module) {
    if (!request_.playlistPath.empty()) request_.ReadPlaylist(request_.playlistPath);
    if (RefuseAlbum()) return;
    PreferExistingPaths(request_.tracks);
    events_.ResetTrackNumbers();
    if (request_.silent) {
        RunSilent();
    } else {
        RunWindow(module);
    }
}

bool BurnController::LevelLoudness() const { return RegistryResults::LevelLoudness(); }

void BurnController::SetLevelLoudness(bool level) {
    try {
        RegistryResults::SetLevelLoudness(level);
    } catch (const std::runtime_error& e) {
        DebugTrace("BurnController: option not stored: %s\n", e.what());
    }
    if (client_) client_->SetLevelLoudness(level); // for this run's recording too
}

bool BurnController::RefuseAlbum() {
    std::string text;
    if (!request_.playlistRefusal.empty()) {
        DebugTrace("BurnController: CUE sheet refused: %s\n", request_.playlistRefusal.c_str());
        // The reader's reasons start with "line N:"; the user is told the line in their language.
        const std::string& reason = request_.playlistRefusal;
        const std::size_t digits = reason.find_first_of("0123456789");
        const std::string line = digits == std::string::npos ? "?" : reason.substr(digits, reason.find_first_not_of("0123456789", digits) - digits);
        text = LoadText(IDS_ERROR_CUE_SHEET_REFUSED);
        if (const std::size_t mark = text.find('#'); mark != std::string::npos) text.replace(mark, 1, line);
    } else if (request_.album && WriteMethod() == PluginSettings::kWriteMethodTao) {
        text = LoadText(IDS_ERROR_ALBUM_NEEDS_DISC_AT_ONCE);
    } else {
        return false;
    }
    SetBurnResults(BurnResult::Failed);
    if (!request_.silent) MessageBoxA(nullptr, text.c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
    return true;
}

void BurnController::RunSilent() {
    if (!EngineAccess()) return;
    bool erased = false;
    if (request_.eraseFirst) {
        DeviceHandle* device = nullptr;
        if (SUCCEEDED(client_->GetCurrentDevice(&device)) && device) {
            SetBurnResults(BurnResult::Erasing);
            if (FAILED(device->EraseDisc())) {
                SetBurnResults(BurnResult::EraseFailed);
                return;
            }
            SetBurnResults(BurnResult::Erased);
            erased = true;
        }
    }
    HandTracksToEngine();
    if (request_.tracks.empty()) return;
    if (!EngineHoldsTracks()) {
        events_.RecordingFinished();
        return;
    }
    bool erase = false;
    if (FAILED(CheckDisc(nullptr, false, erase))) {
        SetBurnResults(BurnResult::DiscUnusable);
        return;
    }
    if (events_.UserCancelled()) return;
    if (erased) HandTracksToEngine();
    client_->Record();
}

HWND BurnController::CreateBurnWindow() {
    window_ = std::make_unique<BurnWindow>(*this, instance_);
    HWND window = window_->Create();
    if (!window) window_.reset();
    return window;
}

int BurnController::HostShowCommand() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    // A window run needs its window: a hidden one would wait for a user who can't see it.
    const bool given = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow != SW_HIDE;
    return given ? startup.wShowWindow : SW_SHOW;
}

void BurnController::RunWindow(AppModule& module) {
    MessageLoop loop;
    module.AddMessageLoop(&loop);
    if (HWND window = CreateBurnWindow()) {
        channel_.Attach(window);
        ShowWindow(window, HostShowCommand());
        loop.Run();
        channel_.Attach(nullptr);
    }
    window_.reset();
    module.RemoveMessageLoop();
}

// ---- What the burn window calls.

bool BurnController::CancelNeedsConfirmation(bool recordingStarted, bool confirmBefore, bool confirmAfter,
                                             bool completed, std::size_t trackCount, bool errorReported) {
    const bool applies = recordingStarted ? confirmAfter : confirmBefore;
    return applies && !completed && trackCount > 0 && !errorReported;
}

void BurnController::CancelNow() {
    events_.MarkUserCancelled();
    if (client_) client_->Cancel();
}

bool BurnController::Cancel(HWND window) {
    // The mark comes only with the user's Yes: while the question is up, and after No, the
    // preparation goes on handing tracks to the engine.
    if (CancelNeedsConfirmation(events_.RecordingHasStarted(), Settings().ConfirmCancelBeforeBurnStarted(),
                                Settings().ConfirmCancelAfterBurnStarted(), completed_, request_.tracks.size(),
                                events_.ErrorReported())) {
        const int answer =
            MessageBoxA(window, LoadText(IDS_TEXT_CONFIRM_CANCEL).c_str(), Caption().c_str(), MB_YESNO);
        if (answer != IDYES) return false;
    }
    channel_.SetCancelling(true);
    CancelNow();
    return true;
}

bool BurnController::QueryEndSession(HWND window) {
    if (!events_.RecordingHasStarted()) return true;
    const int answer = MessageBoxA(window, LoadText(IDS_TEXT_ASK_ALLOW_SHUTDOWN).c_str(), Caption().c_str(), MB_YESNO);
    if (answer != IDYES && answer != IDOK) return false;
    channel_.SetCancelling(true);
    CancelNow();
    return true;
}

BurnController::Completion BurnController::CompleteBurn() {
    completed_ = true;
    if (channel_.Cancelling()) return Completion::Nothing;
    return Settings().CloseAppWhenBurnComplete() ? Completion::CloseWindow : Completion::ShowCloseButton;
}

bool BurnController::EngineHoldsTracks() {
    LONG count = 0;
    return FAILED(client_->GetTrackCount(&count)) || count > 0;
}

BurnController::RecordStart BurnController::Record(HWND window) {
    if (!EngineAccess()) return RecordStart::Refused;
    // Every track refused: a completed burn of nothing, with no disc needed.
    if (!EngineHoldsTracks()) {
        events_.RecordingFinished();
        return RecordStart::Recorded;
    }
    bool erase = false;
    if (FAILED(CheckDisc(window, true, erase)) && !erase) {
        channel_.Post(BurnMessages::kRunEnded, 0, 1);
        return RecordStart::Refused;
    }
    if (erase) return RecordStart::EraseFirst;
    client_->Record();
    return RecordStart::Recorded;
}

void BurnController::DiscWaitEnded(DiscWait outcome) {
    if (!EngineAccess() || events_.UserCancelled()) return;
    switch (outcome) {
    case DiscWait::Ready:
        client_->Record();
        break;
    case DiscWait::NotReady:
        channel_.Post(BurnMessages::kRunEnded, 0, 1);
        break;
    case DiscWait::EraseFailed:
        break;
    }
}

void BurnController::PrepareTracks(bool eraseFirst) {
    if (!EngineAccess()) return;
    if (eraseFirst) {
        DeviceHandle* device = nullptr;
        // A failed erase ends the run where it is (the failure is on show): nothing is
        // prepared, so nothing is recorded on the disc it left.
        if (SUCCEEDED(client_->GetCurrentDevice(&device)) && device && FAILED(device->EraseDiscWithProgress())) return;
    }
    if (request_.eraseOnly) return;
    HandTracksToEngine();
}

// ---- Tracks.

void BurnController::HandTracksToEngine() {
    client_->ClearTracks();
    const UINT codePage = request_.discTextUtf8 ? CP_UTF8 : CP_ACP;
    if (!request_.discTitle.empty() || !request_.discPerformer.empty())
        client_->SetDiscText(request_.discTitle, request_.discPerformer, codePage);
    if (!request_.discCatalog.empty() || !request_.discSongwriter.empty())
        client_->SetAlbumCodes(request_.discCatalog, request_.discSongwriter, codePage);
    client_->PrepareTracks(request_.tracks);
}

UINT BurnController::RefusedTrackMessage(HRESULT code) {
    switch (code) {
    case RECORDING_E_UNREADABLE_FILE_TYPE:
        return IDS_ERROR_FILETYPE_NOT_SUPPORTED;
    case PluginEngineClient::kNotAllowed:
        return IDS_ERROR_ADDTRACK_DISALLOWED;
    case RECORDING_E_TOO_MANY_TRACKS:
        return IDS_ERROR_TOO_MANY_TRACKS;
    case RECORDING_E_FILE_NOT_FOUND:
        return IDS_ERROR_FILE_NOT_FOUND;
    case RECORDING_E_DISC_FULL:
        return IDS_ERROR_INSUFFICIENT_SPACE;
    default:
        return IDS_ERROR_INVALID_FILE;
    }
}
