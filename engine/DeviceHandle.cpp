#include "engine/DeviceHandle.h"

#include "engine/EngineSession.h"
#include "support/PumpMessagesFor.h"

HRESULT DeviceHandle::CheckErase() {
    DriveCapabilities capabilities;
    HRESULT hr = device_.GetCapabilities(capabilities);
    if (FAILED(hr)) return hr;
    if (!capabilities.writesCdRw && !capabilities.erasesCdRw) return RECORDING_E_CANNOT_REWRITE;
    LONG type = RECORDING_MEDIA_NONE;
    if (FAILED(device_.GetMediaInfo(&type, nullptr, nullptr, nullptr))) return RECORDING_E_MEDIA_UNREADABLE;
    if (type != RECORDING_MEDIA_CD_RW) return RECORDING_E_MEDIA_NOT_REWRITABLE;
    bool answer = false;
    device_.CanEraseMedia(answer);
    if (!answer) return RECORDING_E_NO_MEDIA;
    device_.IsReadyForErase(answer);
    if (!answer) return RECORDING_E_NOT_READY;
    return S_OK;
}

HRESULT DeviceHandle::EraseDisc() {
    const HRESULT hr = CheckErase();
    return FAILED(hr) ? hr : device_.Erase(RECORDING_ERASE_FULL);
}

HRESULT DeviceHandle::EraseDiscWithProgress() {
    BurnEventSink* sink = session_.Sink();
    const auto fail = [sink](HRESULT code) {
        if (sink) sink->DeviceFailure(code);
        return code;
    };
    HRESULT hr = CheckErase();
    if (FAILED(hr)) return fail(hr);
    const std::uint32_t statuses = device_.StatusCount();
    if (FAILED(hr = device_.Erase(RECORDING_ERASE_FULL | RECORDING_ERASE_ASYNC))) return fail(hr);
    if (sink) sink->EraseStarted();
    for (bool done = false; !done;) {
        PumpMessagesFor(500);
        LONG doneCount = 0, totalCount = 0;
        if (FAILED(hr = device_.GetEraseProgress(done, doneCount, totalCount))) return fail(hr);
        const long double percent = totalCount > 0 ? doneCount * 100.0L / totalCount : 0.0L;
        if (sink) sink->EraseProgress(static_cast<std::int32_t>(percent));
    }
    // The device's status event tells how the erase ended; a failure has reached slot 4 through
    // it already. An engine that sends none has succeeded.
    for (DWORD waited = 0; device_.StatusCount() == statuses && waited < kStatusWaitMs; waited += 50) PumpMessagesFor(50);
    if (device_.StatusCount() != statuses && device_.LastStatus() < 0) return device_.LastStatus();
    if (sink) sink->EraseCompleted();
    return S_OK;
}
