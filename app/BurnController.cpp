#include "app/BurnController.h"

#include "app/AppModule.h"
#include "app/BurnMessages.h"
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

constexpr HRESULT kDiscNotErasable = static_cast<HRESULT>(0x800410DB);
constexpr HRESULT kUnderrun = static_cast<HRESULT>(0x80041899);

std::unique_ptr<BurnEventRecord> NewRecord() { return std::make_unique<BurnEventRecord>(); }

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
    client_->SetEventSink(this);
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

std::int32_t BurnController::EngineCheckClass(std::int32_t result) {
    switch (static_cast<std::uint32_t>(result)) {
    case 0x8004045D:
    case 0x80040015:
    case 0x800404E0:
        return 1;
    case 0x80040424:
    case 0x8004401C:
        return 2;
    default:
        return 0;
    }
}

PluginEngineClient* BurnController::CreateEngine(const std::string& clientName, LONG value, HRESULT* result) {
    ComPtr<PluginEngineClient> client = ComPtr<PluginEngineClient>::Attach(new PluginEngineClient(*this));
    const HRESULT opened = client->Open(clientName, value);
    if (result) *result = opened;
    if (FAILED(opened)) return nullptr;
    return client.detach();
}

std::int32_t BurnController::OpenEngineClient() {
    if (client_) return 0;
    HRESULT result = kNoEngine;
    client_ = ComPtr<PluginEngineClient>::Attach(CreateEngine(LoadText(IDS_PARTNER_APP), 0, &result));
    if (!client_) return FAILED(result) ? result : kNoEngine;
    client_->SetEventSink(this);
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
    switch (static_cast<std::uint32_t>(result)) {
    case 0:
        return;
    case 0x80040424: {
        const int answer = MessageBoxA(nullptr, LoadText(IDS_TEXT_NO_ENGINE_FOUND).c_str(), caption.c_str(), MB_YESNO);
        if (answer == IDYES || answer == IDOK) OpenAddress(LoadText(IDS_URL_FREE_ENGINE));
        return;
    }
    case 0x8004045D:
    case 0x80040015:
        text = IDS_ERROR_DRIVE_NOT_READY;
        break;
    case 0x800404E0:
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

void BurnController::ResetTrackNumbers() {
    std::lock_guard<std::mutex> lock(numbersLock_);
    request_.engineTrackNumbers.assign(request_.tracks.size(), -1);
}

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
    ResetTrackNumbers();
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
    SetBurnResults(-1);
    if (!request_.silent) MessageBoxA(nullptr, text.c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
    return true;
}

void BurnController::RunSilent() {
    if (!EngineAccess()) return;
    bool erased = false;
    if (request_.eraseFirst) {
        DeviceHandle* device = nullptr;
        if (SUCCEEDED(client_->GetCurrentDevice(&device)) && device) {
            SetBurnResults(-7);
            if (FAILED(device->EraseDisc())) {
                SetBurnResults(-8);
                return;
            }
            SetBurnResults(-9);
            erased = true;
        }
    }
    HandTracksToEngine();
    if (request_.tracks.empty()) return;
    if (!EngineHoldsTracks()) {
        RecordingFinished();
        return;
    }
    bool erase = false;
    if (FAILED(CheckDisc(nullptr, false, erase))) {
        SetBurnResults(-10);
        return;
    }
    if (userCancelled_) return;
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
    userCancelled_ = true;
    if (client_) client_->Cancel();
}

bool BurnController::Cancel(HWND window) {
    // The mark comes only with the user's Yes: while the question is up, and after No, the
    // preparation goes on handing tracks to the engine.
    if (CancelNeedsConfirmation(recordingStarted_, Settings().ConfirmCancelBeforeBurnStarted(),
                                Settings().ConfirmCancelAfterBurnStarted(), completed_, request_.tracks.size(),
                                errorReported_)) {
        const int answer =
            MessageBoxA(window, LoadText(IDS_TEXT_CONFIRM_CANCEL).c_str(), Caption().c_str(), MB_YESNO);
        if (answer != IDYES) return false;
    }
    channel_.SetCancelling(true);
    CancelNow();
    return true;
}

bool BurnController::QueryEndSession(HWND window) {
    if (!recordingStarted_) return true;
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
        RecordingFinished();
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
    if (!EngineAccess() || userCancelled_) return;
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

std::int32_t BurnController::RefusedTrackValue(HRESULT code) {
    switch (static_cast<std::uint32_t>(code)) {
    case 0x80040032:
    case 0x80070005:
        return -7;
    case 0x80040012:
        return -10;
    case 0x80040002:
        return -5;
    case 0x8004044C:
        return -9;
    default:
        return -6;
    }
}

UINT BurnController::RefusedTrackMessage(HRESULT code) {
    switch (static_cast<std::uint32_t>(code)) {
    case 0x80040032:
        return IDS_ERROR_FILETYPE_NOT_SUPPORTED;
    case 0x80070005:
        return IDS_ERROR_ADDTRACK_DISALLOWED;
    case 0x80040012:
        return IDS_ERROR_TOO_MANY_TRACKS;
    case 0x80040002:
        return IDS_ERROR_FILE_NOT_FOUND;
    case 0x8004044C:
        return IDS_ERROR_INSUFFICIENT_SPACE;
    default:
        return IDS_ERROR_INVALID_FILE;
    }
}

std::int32_t BurnController::PositionOfEngineTrack(std::int32_t engineTrack, const TrackRecord* record) {
    {
        std::lock_guard<std::mutex> lock(numbersLock_);
        const std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
        if (engineTrack >= 0) {
            for (std::size_t p = 0; p < numbers.size(); ++p) {
                if (numbers[p] == engineTrack) return static_cast<std::int32_t>(p);
            }
        }
    }
    if (record) {
        for (std::size_t p = request_.tracks.size(); p-- > 0;) {
            if (request_.tracks[p].path == record->path) return static_cast<std::int32_t>(p);
        }
    }
    return -1;
}

void BurnController::SetTrackValue(std::int32_t position, std::int32_t code) {
    if (position < 0) {
        DebugTrace("BurnController: track event for no playlist position (value %d)\n", code);
        return;
    }
    SetTrackResult(static_cast<std::uint32_t>(position) + 1, code);
}

void BurnController::PostTrackRecord(UINT message, std::int32_t position, const TrackRecord* record,
                                     std::int32_t percent1, std::int32_t percent2, HRESULT code,
                                     const std::string& text) {
    if (!channel_.Window()) return;
    auto posted = NewRecord();
    posted->position = position;
    if (record) {
        posted->path = record->path;
    } else if (position >= 0 && static_cast<std::size_t>(position) < request_.tracks.size()) {
        posted->path = request_.tracks[static_cast<std::size_t>(position)].path;
    }
    posted->percent1 = percent1;
    posted->percent2 = percent2;
    posted->code = code;
    posted->text = text;
    channel_.PostRecord(message, std::move(posted));
}

// ---- BurnEventSink. The registry may throw (the area can't be opened); that never
// leaves a slot, because the caller may be one of the engine's threads.

template <class Handler>
HRESULT BurnController::Guarded(const char* slot, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        DebugTrace("BurnController::%s: %s\n", slot, e.what());
    } catch (...) {
        DebugTrace("BurnController::%s: unexpected exception\n", slot);
    }
    return S_OK;
}

HRESULT BurnController::MediaChanged(bool present) {
    return Guarded("MediaChanged", [&] { channel_.Post(BurnMessages::kMediaChanged, present, 0); });
}

HRESULT BurnController::DeviceStateChanged(bool ready) {
    return Guarded("DeviceStateChanged", [&] { channel_.Post(BurnMessages::kDeviceStateChanged, ready, 0); });
}

HRESULT BurnController::EraseStarted() {
    return Guarded("EraseStarted", [&] {
        SetBurnResults(-7);
        channel_.Post(BurnMessages::kEraseStarted, 0, 0);
    });
}

HRESULT BurnController::EraseProgress(std::int32_t percent) {
    return Guarded("EraseProgress",
                   [&] { channel_.Post(BurnMessages::kEraseProgress, static_cast<WPARAM>(percent), 0); });
}

HRESULT BurnController::DeviceFailure(HRESULT code) {
    return Guarded("DeviceFailure", [&] {
        SetBurnResults(code == kDiscNotErasable ? -6 : -8);
        channel_.Post(BurnMessages::kDeviceFailure, 0, static_cast<LPARAM>(code));
    });
}

HRESULT BurnController::EraseCompleted() {
    return Guarded("EraseCompleted", [&] {
        SetBurnResults(-9);
        channel_.Post(BurnMessages::kEraseCompleted, 0, 0);
    });
}

HRESULT BurnController::RecordingStarted() {
    return Guarded("RecordingStarted", [&] {
        recordingStarted_ = true;
        SetBurnResults(-19);
        channel_.Post(BurnMessages::kRecordingStarted, 0, 0);
    });
}

HRESULT BurnController::RecordingFailedShort(std::int32_t value) {
    return Guarded("RecordingFailedShort", [&] {
        errorReported_ = true;
        SetBurnResults(-1);
        channel_.Post(BurnMessages::kRecordingFailedShort, static_cast<WPARAM>(value), 0);
    });
}

HRESULT BurnController::StageStarted(std::int32_t stage) {
    return Guarded("StageStarted", [&] { channel_.Post(BurnMessages::kStageStarted, static_cast<WPARAM>(stage), 0); });
}

HRESULT BurnController::StageProgress(std::int32_t stage, std::int32_t percent1, std::int32_t percent2) {
    return Guarded("StageProgress", [&] {
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->stage = stage;
        record->percent1 = percent1;
        record->percent2 = percent2;
        channel_.PostRecord(BurnMessages::kStageProgress, std::move(record));
    });
}

HRESULT BurnController::StageEnded(std::int32_t stage) {
    return Guarded("StageEnded", [&] { channel_.Post(BurnMessages::kStageEnded, static_cast<WPARAM>(stage), 0); });
}

HRESULT BurnController::StageError(std::int32_t stage, HRESULT code, const std::string& text) {
    return Guarded("StageError", [&] {
        errorReported_ = true;
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->stage = stage;
        record->code = code;
        record->text = text;
        channel_.PostRecord(BurnMessages::kStageError, std::move(record));
    });
}

HRESULT BurnController::TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) {
    return Guarded("TrackStarted", [&] {
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, -8);
        PostTrackRecord(BurnMessages::kTrackStarted, position, record, percent, 0, S_OK, std::string());
    });
}

HRESULT BurnController::TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t percent1,
                                      std::int32_t percent2) {
    return Guarded("TrackProgress", [&] {
        PostTrackRecord(BurnMessages::kTrackProgress, PositionOfEngineTrack(track, record), record, percent1,
                        percent2, S_OK, std::string());
    });
}

HRESULT BurnController::TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) {
    return Guarded("TrackEnded", [&] {
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, 0);
        PostTrackRecord(BurnMessages::kTrackEnded, position, record, percent, 0, S_OK, std::string());
    });
}

HRESULT BurnController::TrackInterrupted(std::int32_t track, const TrackRecord* record) {
    return Guarded("TrackInterrupted", [&] { SetTrackValue(PositionOfEngineTrack(track, record), -2); });
}

HRESULT BurnController::TrackError(std::int32_t track, const TrackRecord* record, HRESULT code,
                                   const std::string& text) {
    return Guarded("TrackError", [&] {
        errorReported_ = true;
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, -1);
        PostTrackRecord(BurnMessages::kTrackError, position, record, 0, 0, code, text);
    });
}

HRESULT BurnController::RecordingFailed(HRESULT code, const std::string& text) {
    return Guarded("RecordingFailed", [&] {
        errorReported_ = true;
        SetBurnResults(userCancelled_ ? -2 : -1);
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->code = code;
        record->text = text;
        channel_.PostRecord(BurnMessages::kRecordingFailed, std::move(record));
    });
}

HRESULT BurnController::RecordingCancelled(bool byUser) {
    return Guarded("RecordingCancelled", [&] {
        if (byUser) userCancelled_ = true;
        SetBurnResults(userCancelled_ ? -2 : -1);
        channel_.Post(BurnMessages::kRecordingCancelled, byUser, 0);
    });
}

HRESULT BurnController::RecordingFinished() {
    return Guarded("RecordingFinished", [&] {
        SetBurnResults(allAccepted_ ? 0 : 1);
        channel_.Post(BurnMessages::kRecordingFinished, 0, 0);
    });
}

HRESULT BurnController::RunEnded(bool ended, bool cancelled) {
    return Guarded("RunEnded", [&] {
        if (ended && cancelled) {
            userCancelled_ = true;
            SetBurnResults(-2);
        } else {
            SetBurnResults(ended ? -1 : -3);
        }
        channel_.Post(BurnMessages::kRunEnded, ended, cancelled);
    });
}

HRESULT BurnController::TrackPreparationStarted() {
    return Guarded("TrackPreparationStarted", [&] {
        allAccepted_ = true;
        ClearTrackResults();
        channel_.Post(BurnMessages::kPreparationStarted, 0, 0);
    });
}

HRESULT BurnController::CancelRequested(bool* cancel) {
    if (cancel) *cancel = channel_.Window() != nullptr && (channel_.Cancelling() || userCancelled_);
    return S_OK;
}

HRESULT BurnController::TrackPreparationProgress(std::int32_t position, const std::string& path,
                                                 std::int32_t percent) {
    return Guarded("TrackPreparationProgress", [&] {
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        record->percent1 = percent;
        channel_.PostRecord(BurnMessages::kPreparationProgress, std::move(record));
    });
}

HRESULT BurnController::TrackAccepted(std::int32_t position, const std::string& path, std::int32_t engineTrack) {
    return Guarded("TrackAccepted", [&] {
        {
            std::lock_guard<std::mutex> lock(numbersLock_);
            std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
            if (position >= 0) {
                if (numbers.size() <= static_cast<std::size_t>(position)) numbers.resize(position + 1, -1);
                numbers[static_cast<std::size_t>(position)] = engineTrack;
            }
        }
        SetTrackValue(position, -3);
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        channel_.PostRecord(BurnMessages::kTrackAccepted, std::move(record));
    });
}

HRESULT BurnController::TrackRefused(std::int32_t position, const std::string& path, HRESULT code) {
    return Guarded("TrackRefused", [&] {
        allAccepted_ = false;
        {
            std::lock_guard<std::mutex> lock(numbersLock_);
            std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
            if (position >= 0 && static_cast<std::size_t>(position) < numbers.size()) {
                numbers[static_cast<std::size_t>(position)] = -1;
            }
        }
        SetTrackValue(position, RefusedTrackValue(code));
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        record->code = code;
        channel_.PostRecord(BurnMessages::kTrackRefused, std::move(record));
    });
}

HRESULT BurnController::TrackPreparationFinished() {
    return Guarded("TrackPreparationFinished", [&] { channel_.Post(BurnMessages::kPreparationFinished, 0, 0); });
}
