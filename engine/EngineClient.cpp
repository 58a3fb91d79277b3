#include "engine/EngineClient.h"

#include <algorithm>

#include "engine/Bstr.h"
#include "engine/EngineRefusal.h"
#include "engine/RecordingProgressLoop.h"
#include "engine/ReturnFailureOnThrow.h"
#include "support/DebugTrace.h"

#include <cwctype>

namespace {

constexpr std::size_t kMaxTracks = 99;

bool IsWebAddress(const std::string& path) { return path.compare(0, 7, "http://") == 0; }

} // namespace

EngineClient::EngineClient() = default;

EngineClient::~EngineClient() {
    thread_.WaitForThread();
    sink_ = nullptr;
    handles_.clear(); // before the session: each refers to its device
    if (session_) {
        session_->SetSink(nullptr);
        session_->Teardown();
        session_.reset();
    }
    tracks_.clear();
}

HRESULT EngineClient::QueryInterface(REFIID, void** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

ULONG EngineClient::AddRef() { return ++refs_; }

ULONG EngineClient::Release() {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

HRESULT EngineClient::CreateEngine(ComPtr<IUnknown>& engine) {
    HRESULT hr = CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, engine.put_void());
    if (SUCCEEDED(hr) && FAILED(hr = OleRun(engine.get()))) {
        // Reported as a missing engine; the engine's own words make the cause findable.
        DebugTrace("EngineClient: the recording engine refused to start (0x%08lX): %s\n",
                   static_cast<unsigned long>(hr), EngineErrorList(engine.get()).c_str());
    }
    return hr;
}

HRESULT EngineClient::Initialize(const std::string& clientName, LONG value) {
    return ReturnFailureOnThrow([&]() -> HRESULT {
        if (session_) return S_FALSE;
        ComPtr<EngineSession> session = ComPtr<EngineSession>::Attach(new (std::nothrow) EngineSession);
        if (!session) return ENGINE_E_NO_ENGINE;
        ComPtr<IUnknown> engine;
        if (FAILED(CreateEngine(engine)) || !engine) return ENGINE_E_NO_ENGINE;
        HRESULT hr = E_FAIL;
        try {
            hr = session->Connect(engine.get(), clientName, value);
        } catch (...) {
            session->Teardown();
            throw;
        }
        if (FAILED(hr)) {
            session->Teardown();
            return hr;
        }
        session->SetSink(sink_);
        thread_.SetSession(session.get());
        session_ = std::move(session);
        hasTexts_ = -1;
        return S_OK;
    });
}

HRESULT EngineClient::SetEventSink(BurnEventSink* sink) {
    sink_ = sink;
    if (session_) session_->SetSink(sink);
    return S_OK;
}

HRESULT EngineClient::GetDeviceCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    if (!session_) return ENGINE_E_NO_CURRENT_DEVICE;
    return ReturnFailureOnThrow([&] { return session_->DeviceCount(*count); });
}

HRESULT EngineClient::HandleFor(EngineDevice* device, DeviceHandle** out) {
    std::lock_guard lock(handlesLock_);
    for (const std::unique_ptr<DeviceHandle>& handle : handles_) {
        if (&handle->Device() == device) {
            *out = handle.get();
            return S_OK;
        }
    }
    handles_.push_back(std::make_unique<DeviceHandle>(*session_.get(), *device));
    *out = handles_.back().get();
    return S_OK;
}

HRESULT EngineClient::GetDevice(LONG index, DeviceHandle** device) {
    if (!device) return E_POINTER;
    *device = nullptr;
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        EngineDevice* wrapped = nullptr;
        const HRESULT hr = session_->DeviceAt(index, wrapped);
        return FAILED(hr) ? hr : HandleFor(wrapped, device);
    });
}

HRESULT EngineClient::SelectDevice(DeviceHandle* device) {
    if (!device) return E_POINTER;
    const wchar_t letter = device->Device().Letter();
    return SelectDeviceByLetter(letter > 0 && letter < 0x80 ? static_cast<char>(letter) : '\0');
}

HRESULT EngineClient::SelectDeviceByIndex(LONG index) {
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] { return session_->SelectByIndex(index); });
}

HRESULT EngineClient::SelectDeviceByLetter(char letter) {
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] { return session_->SelectByLetter(letter); });
}

HRESULT EngineClient::GetCurrentDevice(DeviceHandle** device) {
    if (!device) return E_POINTER;
    *device = nullptr;
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        LONG index = -1;
        HRESULT hr = session_->CurrentIndex(index);
        EngineDevice* wrapped = nullptr;
        if (SUCCEEDED(hr)) hr = session_->DeviceAt(index, wrapped);
        return FAILED(hr) ? hr : HandleFor(wrapped, device);
    });
}

HRESULT EngineClient::GetCurrentDeviceIndex(LONG* index) {
    if (!index) return E_POINTER;
    *index = -1;
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] { return session_->CurrentIndex(*index); });
}

HRESULT EngineClient::GetCurrentDeviceLetter(char* letter) {
    if (!letter) return E_POINTER;
    *letter = '\0';
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        LONG index = -1;
        const HRESULT hr = session_->CurrentIndex(index);
        if (FAILED(hr)) return hr;
        const wchar_t wide = session_->CurrentLetter();
        if (wide == 0 || wide >= 0x80) return static_cast<HRESULT>(RECORDING_E_NO_SUCH_DEVICE);
        *letter = static_cast<char>(wide);
        return S_OK;
    });
}

HRESULT EngineClient::GetWriteSpeed(LONG* speed) {
    if (!speed) return E_POINTER;
    *speed = 0;
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const HRESULT hr = session_->GetCDCreationParams();
        if (SUCCEEDED(hr)) *speed = SpeedOfMask(session_->Params().speedMask);
        return hr;
    });
}

HRESULT EngineClient::GetMaxWriteSpeed(LONG* speed) {
    if (speed) *speed = 0;
    return E_ACCESSDENIED;
}

HRESULT EngineClient::SetWriteSpeed(LONG speed) {
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const HRESULT hr = session_->GetCDCreationParams();
        if (FAILED(hr)) return hr;
        session_->Params().speedMask = MaskOfSpeed(speed < 0 ? 0u : static_cast<std::uint32_t>(speed));
        return session_->SetCDCreationParams();
    });
}

HRESULT EngineClient::GetRecordingOptions(RecordingOptions* options) {
    if (!options) return E_POINTER;
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const HRESULT hr = session_->GetCDCreationParams();
        if (SUCCEEDED(hr))
            *options = RecordingOptions::Decode(session_->Params().options, session_->Params().optionValue);
        return hr;
    });
}

HRESULT EngineClient::SetRecordingOptions(const RecordingOptions& options) {
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const HRESULT hr = session_->GetCDCreationParams();
        if (FAILED(hr)) return hr;
        options.Encode(session_->Params().options, session_->Params().optionValue);
        return session_->SetCDCreationParams();
    });
}

HRESULT EngineClient::SetLevelLoudness(bool level) {
    if (!session_) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const HRESULT hr = session_->GetCDCreationParams();
        if (FAILED(hr)) return hr;
        std::uint32_t& options = session_->Params().options;
        options = level ? options | RECORDING_OPTION_LEVEL_LOUDNESS : options & ~RECORDING_OPTION_LEVEL_LOUDNESS;
        return session_->SetCDCreationParams();
    });
}

HRESULT EngineClient::AskAboutFile(const std::string& path, UINT codePage, bool* answer,
                                   HRESULT (STDMETHODCALLTYPE IRecordingEngine::*query)(BSTR, BYTE*)) {
    if (!answer) return E_POINTER;
    *answer = false;
    if (IsWebAddress(path)) return RECORDING_E_UNSUPPORTED_FILE;
    if (!session_ || !session_->Engine()) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        const Bstr text(convert_wstring(path, codePage));
        BYTE value = 0;
        const HRESULT hr = (session_->Engine()->*query)(text.get(), &value);
        *answer = SUCCEEDED(hr) && value != 0;
        return hr;
    });
}

HRESULT EngineClient::IsFileTypeReadable(const std::string& path, bool* readable, UINT codePage) {
    return AskAboutFile(path, codePage, readable, &IRecordingEngine::IsFileTypeReadable);
}

HRESULT EngineClient::IsFileSupported(const std::string& path, bool* supported, UINT codePage) {
    return AskAboutFile(path, codePage, supported, &IRecordingEngine::IsFileSupported);
}

HRESULT EngineClient::ClearTracks() {
    std::lock_guard lock(tracksLock_);
    tracks_.clear();
    mode_ = TrackMode::Unset;
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    return session_->Disc()->ClearLayout();
}

HRESULT EngineClient::TrackAllowed() {
    if (mode_ == TrackMode::Second) return ENGINE_E_WRONG_TRACK_MODE;
    mode_ = TrackMode::Tracks;
    if (tracks_.size() >= kMaxTracks) return RECORDING_E_TOO_MANY_TRACKS;
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    return S_OK;
}

HRESULT EngineClient::CheckFile(const std::string& path, UINT codePage) {
    const Bstr text(convert_wstring(path, codePage));
    // A missing folder means a missing file too; web addresses are refused as unsupported below.
    if (!IsWebAddress(path) && GetFileAttributesW(text.get()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return RECORDING_E_FILE_NOT_FOUND;
    }
    bool answer = false;
    IsFileSupported(path, &answer, codePage);
    if (!answer) return RECORDING_E_UNSUPPORTED_FILE;
    IsFileTypeReadable(path, &answer, codePage);
    if (!answer) return RECORDING_E_UNREADABLE_FILE_TYPE;
    return S_OK;
}

HRESULT EngineClient::AddTrack(const std::string& path, LONG* index, UINT codePage) {
    if (!index) return E_POINTER;
    *index = -1;
    // Held through the engine's answer, so the engine's indices and the records agree.
    std::lock_guard lock(tracksLock_);
    if (HRESULT hr = TrackAllowed(); FAILED(hr)) return hr;
    return ReturnFailureOnThrow([&]() -> HRESULT {
        if (HRESULT hr = CheckFile(path, codePage); FAILED(hr)) return hr;
        LONG engineIndex = -1;
        const HRESULT hr = session_->Disc()->AddFile(Bstr(convert_wstring(path, codePage)).get(), &engineIndex);
        if (FAILED(hr)) return hr;
        tracks_.push_back(TrackRecord{path});
        *index = engineIndex;
        return S_OK;
    });
}

HRESULT EngineClient::AddAlbumTrack(const std::string& path, const std::vector<AlbumPart>& parts, const std::string& isrc,
                                    LONG flags, const std::string& songwriter, LONG* index, UINT codePage) {
    if (!index) return E_POINTER;
    *index = -1;
    std::lock_guard lock(tracksLock_);
    if (HRESULT hr = TrackAllowed(); FAILED(hr)) return hr;
    return ReturnFailureOnThrow([&]() -> HRESULT {
        LONG version = 0;
        if (FAILED(session_->Engine()->GetEngineVersion(&version)) || version < kAlbumEngineVersion) return E_NOTIMPL;
        // The track starts with its first range of audio; its other parts follow in order.
        auto first = std::find_if(parts.begin(), parts.end(), [](const AlbumPart& p) { return !p.pregap && !p.path.empty(); });
        if (first == parts.end()) return E_INVALIDARG;
        for (const AlbumPart& part : parts)
            if (HRESULT hr = part.path.empty() ? S_OK : CheckFile(part.path, codePage); FAILED(hr)) return hr;
        IRecordingDisc* disc = session_->Disc();
        LONG engineIndex = -1;
        HRESULT hr = disc->AddFileRange(Bstr(convert_wstring(first->path, codePage)).get(), first->startFrame, first->frames,
                                        &engineIndex);
        if (FAILED(hr)) return hr;
        for (auto part = parts.begin(); part != parts.end() && SUCCEEDED(hr); ++part) {
            if (part == first) continue;
            const Bstr file(part->path.empty() ? std::wstring() : convert_wstring(part->path, codePage));
            hr = disc->AddTrackPart(engineIndex, part->pregap ? RECORDING_PART_PREGAP : RECORDING_PART_AUDIO,
                                    part->path.empty() ? nullptr : file.get(), part->startFrame, part->frames);
        }
        if (SUCCEEDED(hr) && (!isrc.empty() || flags))
            hr = disc->SetTrackCodes(engineIndex, Bstr(convert_wstring(isrc, codePage)).get(), flags);
        if (SUCCEEDED(hr) && !songwriter.empty())
            hr = disc->SetSongwriter(engineIndex, Bstr(convert_wstring(songwriter, codePage)).get());
        if (FAILED(hr)) { // half a track is no track
            disc->RemoveTrack(engineIndex);
            return hr;
        }
        tracks_.push_back(TrackRecord{path});
        *index = engineIndex;
        return S_OK;
    });
}

HRESULT EngineClient::SetAlbumCodes(const std::string& catalog, const std::string& songwriter, UINT codePage) {
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&]() -> HRESULT {
        LONG version = 0;
        if (FAILED(session_->Engine()->GetEngineVersion(&version)) || version < kAlbumEngineVersion) return E_NOTIMPL;
        HRESULT hr = catalog.empty() ? S_OK : session_->Disc()->SetDiscCatalog(Bstr(convert_wstring(catalog, codePage)).get());
        if (SUCCEEDED(hr) && !songwriter.empty())
            hr = session_->Disc()->SetSongwriter(-1, Bstr(convert_wstring(songwriter, codePage)).get());
        return hr;
    });
}

bool EngineClient::EngineHasTexts() {
    if (hasTexts_ < 0) {
        LONG version = 0;
        hasTexts_ = SUCCEEDED(session_->Engine()->GetEngineVersion(&version)) && version >= kTextEngineVersion ? 1 : 0;
    }
    return hasTexts_ != 0;
}

HRESULT EngineClient::SetTrackText(LONG index, const std::string& title, const std::string& performer,
                                   UINT codePage) {
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        if (!EngineHasTexts()) return E_NOTIMPL;
        const Bstr wideTitle(convert_wstring(title, codePage));
        const Bstr widePerformer(convert_wstring(performer, codePage));
        return session_->Disc()->SetTrackText(index, wideTitle.get(), widePerformer.get());
    });
}

HRESULT EngineClient::SetDiscText(const std::string& title, const std::string& performer, UINT codePage) {
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        if (!EngineHasTexts()) return E_NOTIMPL;
        const Bstr wideTitle(convert_wstring(title, codePage));
        const Bstr widePerformer(convert_wstring(performer, codePage));
        return session_->Disc()->SetDiscText(wideTitle.get(), widePerformer.get());
    });
}

HRESULT EngineClient::GetTrackCount(LONG* count) {
    if (!count) return E_POINTER;
    std::lock_guard lock(tracksLock_);
    *count = static_cast<LONG>(tracks_.size());
    return S_OK;
}

HRESULT EngineClient::AddSecondModeItem() {
    std::lock_guard lock(tracksLock_);
    if (mode_ == TrackMode::Unset) mode_ = TrackMode::Second;
    if (mode_ == TrackMode::Tracks) return ENGINE_E_WRONG_TRACK_MODE;
    return E_FAIL;
}

const TrackRecord* EngineClient::Track(LONG index) const {
    std::lock_guard lock(tracksLock_);
    return index >= 0 && static_cast<std::size_t>(index) < tracks_.size() ? &tracks_[static_cast<std::size_t>(index)]
                                                                           : nullptr;
}

HRESULT EngineClient::GetProgress(LONG* stage, LONG* track, LONG* trackDone, LONG* trackTotal, LONG* overallDone,
                                  LONG* overallTotal, LONG* buffer) {
    if (!stage || !track || !trackDone || !trackTotal || !overallDone || !overallTotal || !buffer) return E_POINTER;
    if (!session_ || !session_->Disc()) return ENGINE_E_NO_ENGINE;
    LONG status = 0;
    const HRESULT hr =
        session_->Disc()->GetProgress(&status, track, trackDone, trackTotal, overallDone, overallTotal, buffer);
    *stage = SUCCEEDED(hr) ? StageOfStatus(static_cast<std::uint32_t>(status)) : 0;
    return hr;
}

HRESULT EngineClient::GetErrorCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    if (!session_ || !session_->Engine()) return ENGINE_E_NO_ENGINE;
    return session_->Engine()->GetErrorCount(count);
}

HRESULT EngineClient::GetError(LONG index, HRESULT* code, std::string* text) {
    if (!code || !text) return E_POINTER;
    if (!session_ || !session_->Engine()) return ENGINE_E_NO_ENGINE;
    return ReturnFailureOnThrow([&] {
        Bstr message;
        const HRESULT hr = session_->Engine()->GetError(index, code, message.put());
        *text = message.Narrow();
        return hr;
    });
}

HRESULT EngineClient::ClearErrors() {
    if (!session_ || !session_->Engine()) return ENGINE_E_NO_ENGINE;
    return session_->Engine()->ClearErrors();
}

HRESULT EngineClient::Cancel() {
    cancelled_ = true;
    HRESULT hr = S_OK;
    if (session_) {
        // Set even before the worker has prepared, so that it stops instead of recording.
        session_->cancelRequested = true;
        if (session_->prepared && session_->Disc()) hr = session_->Disc()->Abort();
    }
    thread_.WaitForThread();
    return hr;
}

HRESULT EngineClient::IsCancelled(bool* cancelled) {
    if (!cancelled) return E_POINTER;
    *cancelled = cancelled_ || (session_ && session_->cancelRequested);
    return S_OK;
}

HRESULT EngineClient::IsFinished(bool* finished) {
    if (!finished) return E_POINTER;
    *finished = session_ && session_->finished;
    return S_OK;
}

HRESULT EngineClient::Record() {
    return ReturnFailureOnThrow([&]() -> HRESULT {
        LONG count = 0;
        HRESULT hr = GetTrackCount(&count);
        if (FAILED(hr)) return hr;
        if (count == 0) return S_FALSE;
        if (!session_) return ENGINE_E_NO_ENGINE;
        // A client cancelled before recording starts no recording.
        if (cancelled_) return RECORDING_E_CANCELLED;
        session_->finished = false;
        session_->failed = false;
        session_->prepared = false;
        session_->cancelRequested = false;
        // Reported before the worker starts, so that none of the worker's reports (a refused
        // preparation, a failure) can come before it and be overwritten by it.
        if (BurnEventSink* sink = Sink()) sink->RecordingStarted();
        try {
            thread_.Start();
        } catch (const Thread::start_failure& e) {
            if (BurnEventSink* sink = Sink()) sink->RecordingFailed(E_FAIL, e.what());
            return E_FAIL;
        }

        std::size_t trackCount = 0;
        {
            std::lock_guard lock(tracksLock_);
            trackCount = tracks_.size();
        }
        return RecordingProgressLoop(*this, trackCount).Run();
    });
}
