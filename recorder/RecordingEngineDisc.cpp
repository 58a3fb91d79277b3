// RecordingEngine's recording half: IRecordingDisc (creation parameters, the track list and
// the recording itself) and the session's events, which it passes on to the engine's sinks.
#include "recorder/RecordingEngine.h"

#include <algorithm>
#include <optional>

#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/WinText.h"

// ---- IRecordingDisc

HRESULT RecordingEngine::GetCDCreationParams(BSTR* deviceId, LONG* options, LONG* speedMask, LONG* pauseFrames,
                                             LONG* reserved, BYTE* optionValue) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!deviceId || !options || !speedMask || !pauseFrames || !reserved || !optionValue) return E_POINTER;
        *deviceId = nullptr;
        if (HRESULT hr = Ready(true)) return hr;
        RecordingSession::Params params = session_.GetParams();
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        std::uint32_t mask = params.speedMask;
        if (mask == 0 && device) { // unset: the fastest CD-R speed of the device
            DriveConfig config = device->Drive()->Config();
            const std::vector<unsigned>& speeds = config.writeSpeeds.empty() ? config.rewriteSpeeds : config.writeSpeeds;
            mask = speeds.empty() ? 1 : RecordingSpeedMask(speeds.front());
        }
        *deviceId = NewBstr(device ? device->Drive()->Identity() : L"");
        *options = static_cast<LONG>(params.options);
        *speedMask = static_cast<LONG>(mask);
        *pauseFrames = static_cast<LONG>(params.pauseFrames);
        *reserved = params.reserved;
        *optionValue = params.optionValue;
        return S_OK;
    });
}

HRESULT RecordingEngine::SetCDCreationParams(BSTR deviceId, LONG options, LONG speedMask, LONG pauseFrames,
                                             LONG reserved, LONG selectDevice, BYTE optionValue) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (speedMask == 0 || pauseFrames < 0) return E_INVALIDARG;
        std::size_t selected;
        {
            std::lock_guard lock(mutex_);
            selected = recordingDevice_;
            std::wstring id = BstrText(deviceId);
            if (selectDevice && !id.empty()) {
                auto match = std::find_if(devices_.begin(), devices_.end(), [&](const ComPtr<RecordingDevice>& d) {
                    return CompareStringOrdinal(d->Drive()->Identity().c_str(), -1, id.c_str(), -1, TRUE) == CSTR_EQUAL;
                });
                if (match == devices_.end()) return static_cast<HRESULT>(RECORDING_E_NO_SUCH_DEVICE);
                selected = static_cast<std::size_t>(match - devices_.begin());
            }
        }
        std::uint32_t mask = static_cast<std::uint32_t>(speedMask);
        for (int bit = 31; bit >= 0; --bit) // one speed: the highest bit given
            if (mask & (1u << bit)) {
                mask = 1u << bit;
                break;
            }
        RecordingSession::Params params = session_.GetParams();
        bool speedChanged = params.speedMask != mask;
        params.options = static_cast<std::uint32_t>(options);
        params.speedMask = mask;
        params.pauseFrames = static_cast<std::uint32_t>(pauseFrames);
        params.reserved = reserved;
        params.optionValue = optionValue;
        session_.SetParams(params);
        ComPtr<RecordingDevice> device;
        {
            std::lock_guard lock(mutex_);
            recordingDevice_ = selected;
            if (selected < devices_.size()) device = devices_[selected];
        }
        if (speedChanged && device) device->FireWriteSpeedChange(static_cast<LONG>(mask));
        return S_OK;
    });
}

HRESULT RecordingEngine::ClearLayout() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        session_.ClearLayout();
        return S_OK;
    });
}

HRESULT RecordingEngine::AddFile(BSTR path, LONG* trackIndex) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!trackIndex) return E_POINTER;
        *trackIndex = -1;
        if (HRESULT hr = Ready(false)) return hr;
        if (BstrText(path).empty()) return E_INVALIDARG;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        *trackIndex = static_cast<LONG>(session_.AddFile(BstrText(path), device ? device->Drive().get() : nullptr));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetTrackCount(LONG* count) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = 0;
        if (HRESULT hr = Ready(false)) return hr;
        *count = static_cast<LONG>(session_.Layout().size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetTrackFile(LONG trackIndex, BSTR* path) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!path) return E_POINTER;
        *path = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        std::vector<RecordingSession::Track> layout = session_.Layout();
        if (trackIndex < 0 || static_cast<std::size_t>(trackIndex) >= layout.size()) return E_INVALIDARG;
        *path = NewBstr(layout[static_cast<std::size_t>(trackIndex)].path);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetTrackFrames(LONG trackIndex, LONG* frames) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = 0;
        if (HRESULT hr = Ready(false)) return hr;
        std::vector<RecordingSession::Track> layout = session_.Layout();
        if (trackIndex < 0 || static_cast<std::size_t>(trackIndex) >= layout.size()) return E_INVALIDARG;
        *frames = static_cast<LONG>(RedBook::TrackFrames(layout[static_cast<std::size_t>(trackIndex)].audioBytes));
        return S_OK;
    });
}

HRESULT RecordingEngine::RemoveTrack(LONG trackIndex) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0) return E_INVALIDARG;
        session_.RemoveTrack(static_cast<std::size_t>(trackIndex));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetSpaceNeeded(LONG* frames) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = 0;
        if (HRESULT hr = Ready(false)) return hr;
        *frames = static_cast<LONG>(session_.SpaceNeeded());
        return S_OK;
    });
}

HRESULT RecordingEngine::Prepare(LONG mode) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (mode != RECORDING_PREPARE_AUDIO) return E_INVALIDARG;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        return static_cast<HRESULT>(session_.Prepare(device ? device->Drive() : nullptr));
    });
}

HRESULT RecordingEngine::RecordTracks(ULONG firstTrack, ULONG lastTrack, LONG options) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        return static_cast<HRESULT>(session_.Record(firstTrack, lastTrack, options & RECORDING_RECORD_WRITE));
    });
}

HRESULT RecordingEngine::CloseDisc(LONG options) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        return ReturnEngineCodeOnThrow([&]() -> HRESULT { return static_cast<HRESULT>(session_.Close(options & RECORDING_CLOSE_FINALIZE)); });
    });
}

HRESULT RecordingEngine::Abort() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        session_.Abort();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetProgress(LONG* statusWord, LONG* trackIndex, LONG* trackDone, LONG* trackTotal,
                                     LONG* overallDone, LONG* overallTotal, LONG* bufferPercent) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!statusWord || !trackIndex || !trackDone || !trackTotal || !overallDone || !overallTotal || !bufferPercent)
            return E_POINTER;
        if (HRESULT hr = Ready(false)) return hr;
        RecordingSession::Progress p = session_.GetProgress();
        *statusWord = static_cast<LONG>(p.status);
        *trackIndex = p.track;
        *trackDone = static_cast<LONG>(p.trackDone);
        *trackTotal = static_cast<LONG>(p.trackTotal);
        *overallDone = static_cast<LONG>(p.overallDone);
        *overallTotal = static_cast<LONG>(p.overallTotal);
        *bufferPercent = static_cast<LONG>(p.bufferPercent);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetImagePath(BSTR* cuePath) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!cuePath) return E_POINTER;
        *cuePath = NewBstr(session_.LastImage());
        return S_OK;
    });
}

HRESULT RecordingEngine::SetTrackText(LONG trackIndex, BSTR title, BSTR performer) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0) return E_INVALIDARG;
        session_.SetTrackText(static_cast<std::size_t>(trackIndex),
                              {WinText::Utf8(BstrText(title)), WinText::Utf8(BstrText(performer))});
        return S_OK;
    });
}

HRESULT RecordingEngine::SetDiscText(BSTR title, BSTR performer) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        session_.SetDiscText({WinText::Utf8(BstrText(title)), WinText::Utf8(BstrText(performer))});
        return S_OK;
    });
}

// ---- RecordingSession::Events (on the recording thread)

void RecordingEngine::OnStatusChange(std::uint32_t status) {
    Fire([&](IRecordingEngineEvents* sink) { sink->OnStatusChange(static_cast<LONG>(status)); });
}

void RecordingEngine::OnProgress(const RecordingSession::Progress& p) {
    Fire([&](IRecordingEngineEvents* sink) {
        sink->OnProgress(static_cast<LONG>(p.trackDone), static_cast<LONG>(p.trackTotal), static_cast<LONG>(p.overallDone),
                         static_cast<LONG>(p.overallTotal));
    });
}

void RecordingEngine::OnTrackStart(int track) {
    Fire([&](IRecordingEngineEvents* sink) { sink->OnTrackStart(track); });
}

void RecordingEngine::OnTrackEnd(int track, std::int32_t result) {
    Fire([&](IRecordingEngineEvents* sink) { sink->OnTrackEnd(track, result); });
}

void RecordingEngine::OnError(std::int32_t code, const std::string& text) {
    AddError(code, text);
    Fire([&](IRecordingEngineEvents* sink) { sink->OnError(code); });
}

bool RecordingEngine::QueryCancel() {
    bool cancel = false;
    Fire([&](IRecordingEngineEvents* sink) {
        BYTE answer = 0;
        if (SUCCEEDED(sink->QueryCancel(&answer)) && answer) cancel = true;
    });
    return cancel;
}

void RecordingEngine::OnNewRecording() { ClearErrors(); }

void RecordingEngine::OnDiscChanged(Drive& drive) {
    std::vector<ComPtr<RecordingDevice>> devices;
    ComPtr<RecordingDevice> recording = RecordingDeviceObject();
    {
        std::lock_guard lock(mutex_);
        devices = devices_;
    }
    for (const ComPtr<RecordingDevice>& device : devices)
        if (device->Drive().get() == &drive && device->CheckForChanges() && device.get() == recording.get()) {
            LONG present = drive.MediaPresent();
            Fire([&](IRecordingEngineEvents* sink) { sink->OnMediaChange(present); });
        }
}

namespace {

std::optional<std::uint64_t> FramesArgument(LONG frames) {
    return frames == RECORDING_FRAMES_TO_END ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(frames));
}

} // namespace

HRESULT RecordingEngine::AddFileRange(BSTR path, LONG startFrame, LONG frames, LONG* trackIndex) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!trackIndex) return E_POINTER;
        *trackIndex = -1;
        if (HRESULT hr = Ready(false)) return hr;
        if (BstrText(path).empty() || startFrame < 0 || frames < RECORDING_FRAMES_TO_END) return E_INVALIDARG;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        *trackIndex = static_cast<LONG>(session_.AddFileRange(BstrText(path), static_cast<std::uint64_t>(startFrame),
                                                              FramesArgument(frames),
                                                              device ? device->Drive().get() : nullptr));
        return S_OK;
    });
}

HRESULT RecordingEngine::AddTrackPart(LONG trackIndex, LONG area, BSTR path, LONG startFrame, LONG frames) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0 || startFrame < 0 || frames < RECORDING_FRAMES_TO_END ||
            (area != RECORDING_PART_AUDIO && area != RECORDING_PART_PREGAP) ||
            (BstrText(path).empty() && frames == RECORDING_FRAMES_TO_END))
            return E_INVALIDARG;
        session_.AddTrackPart(static_cast<std::size_t>(trackIndex), area == RECORDING_PART_PREGAP, BstrText(path),
                              static_cast<std::uint64_t>(startFrame), FramesArgument(frames));
        return S_OK;
    });
}

HRESULT RecordingEngine::SetTrackCodes(LONG trackIndex, BSTR isrc, LONG flags) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0 || flags < 0) return E_INVALIDARG;
        session_.SetTrackCodes(static_cast<std::size_t>(trackIndex), WinText::Utf8(BstrText(isrc)),
                               static_cast<std::uint32_t>(flags));
        return S_OK;
    });
}

HRESULT RecordingEngine::SetDiscCatalog(BSTR catalog) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        session_.SetCatalog(WinText::Utf8(BstrText(catalog)));
        return S_OK;
    });
}

HRESULT RecordingEngine::SetSongwriter(LONG trackIndex, BSTR songwriter) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < -1) return E_INVALIDARG;
        session_.SetSongwriter(trackIndex < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(trackIndex)),
                               WinText::Utf8(BstrText(songwriter)));
        return S_OK;
    });
}
