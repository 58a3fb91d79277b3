#include "engine/EngineSession.h"

#include "engine/Bstr.h"
#include "engine/EngineClientCodes.h"
#include "support/PumpMessagesFor.h"
#include "support/UniqueHandle.h"

#include <cstdio>
#include <cwctype>
#include <stdexcept>

namespace {

constexpr ULONGLONG kReadyWaitMs = 5000; // asked every 100 ms

// Asks again, every 100 ms and keeping messages flowing, while the engine answers that it is
// still starting, for at most kReadyWaitMs by the clock (a busy machine's slow pumps don't
// stretch the wait); answers the last answer.
template <class Ask>
HRESULT AskWhileStarting(Ask ask) {
    const ULONGLONG start = GetTickCount64();
    HRESULT hr = ask();
    while (hr == RECORDING_E_STARTING && GetTickCount64() - start < kReadyWaitMs) {
        PumpMessagesFor(100);
        hr = ask();
    }
    return hr;
}
constexpr std::uint32_t kWriteMediaKind = RECORDING_MEDIA_CD_R;

// The system's text for a code, without its line end; "" when it has none.
std::string SystemText(HRESULT code) {
    UniqueLocalMemory buffer;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(buffer.put()), 0,
                                   nullptr);
    const char* chars = static_cast<const char*>(buffer.get());
    std::string text(chars ? chars : "", chars ? n : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

} // namespace

EngineSession::~EngineSession() { Teardown(); }

HRESULT EngineSession::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IRecordingEngineEvents)) return E_NOTIMPL;
    *out = static_cast<IRecordingEngineEvents*>(this);
    AddRef();
    return S_OK;
}

ULONG EngineSession::AddRef() { return ++refs_; }

ULONG EngineSession::Release() {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

HRESULT EngineSession::Connect(IUnknown* engineObject, const std::string& clientName, LONG value) {
    if (!engineObject || FAILED(engineObject->QueryInterface(IID_IRecordingEngine, engine_.put_void())))
        return ENGINE_E_NO_ENGINE;
    const Bstr name(clientName);
    if (FAILED(engine_->Initialize(FENNEL_APPLICATION_ID, name.get(), value))) return ENGINE_E_NO_ENGINE;
    if (FAILED(engine_->GetDisc(disc_.put())) || !disc_) return ENGINE_E_NO_ENGINE;
    LONG count = 0;
    if (FAILED(WaitUntilReady(count))) return E_FAIL;
    if (count == 0) return ENGINE_E_NO_DEVICE;
    return ChooseDevice(count);
}

HRESULT EngineSession::WaitUntilReady(LONG& count) {
    const HRESULT hr = AskWhileStarting([&] { return engine_->GetDeviceCount(&count); });
    if (FAILED(hr)) return hr;
    std::lock_guard lock(devicesLock_);
    deviceCount_ = count < 0 ? 0 : count;
    devices_.resize(static_cast<std::size_t>(deviceCount_));
    return S_OK;
}

HRESULT EngineSession::ChooseDevice(LONG count) {
    Bstr preferred;
    if (SUCCEEDED(engine_->GetPreferredDevice(preferred.put()))) {
        const std::wstring text = preferred.Wide();
        if (!text.empty() && text[0] < 0x80 && SUCCEEDED(SelectByLetter(static_cast<char>(text[0])))) return S_OK;
    }
    for (LONG index = 0; index < count; ++index) {
        EngineDevice* device = nullptr;
        HRESULT hr = DeviceAt(index, device);
        DriveCapabilities capabilities;
        std::vector<std::uint16_t> readSpeeds, writeSpeeds;
        if (SUCCEEDED(hr)) hr = device->GetCapabilities(capabilities);
        if (SUCCEEDED(hr)) hr = device->GetSpeeds(kWriteMediaKind, readSpeeds, writeSpeeds);
        if (SUCCEEDED(hr) && !writeSpeeds.empty()) {
            current_ = index;
            return S_OK;
        }
        if (FAILED(hr) && count == 1) return hr;
    }
    return ENGINE_E_NO_DEVICE;
}

void EngineSession::Teardown() noexcept {
    UnhookEngineEventCallback();
    std::vector<ComPtr<EngineDevice>> devices;
    {
        std::lock_guard lock(devicesLock_);
        devices.swap(devices_);
        deviceCount_ = -1;
        current_ = -1;
    }
    // An event the engine is raising right now keeps its device (and this session) until it
    // returns; it finds no sink.
    for (const ComPtr<EngineDevice>& device : devices)
        if (device) device->Disconnect();
    devices.clear();
    disc_.reset();
    engine_.reset();
    sink_ = nullptr;
}

HRESULT EngineSession::DeviceCount(LONG& count) {
    {
        std::lock_guard lock(devicesLock_);
        if (deviceCount_ >= 0) {
            count = deviceCount_;
            return S_OK;
        }
    }
    if (!engine_) return ENGINE_E_NO_CURRENT_DEVICE;
    LONG read = 0;
    if (FAILED(engine_->GetDeviceCount(&read))) return ENGINE_E_NO_CURRENT_DEVICE;
    std::lock_guard lock(devicesLock_);
    deviceCount_ = read < 0 ? 0 : read;
    devices_.resize(static_cast<std::size_t>(deviceCount_));
    count = deviceCount_;
    return S_OK;
}

HRESULT EngineSession::DeviceAt(LONG index, EngineDevice*& device) {
    device = nullptr;
    LONG count = 0;
    HRESULT hr = DeviceCount(count);
    if (FAILED(hr)) return hr;
    if (index < 0 || index >= count) return RECORDING_E_NO_SUCH_DEVICE;
    {
        std::lock_guard lock(devicesLock_);
        if (static_cast<std::size_t>(index) < devices_.size() && devices_[static_cast<std::size_t>(index)]) {
            device = devices_[static_cast<std::size_t>(index)].get();
            return S_OK;
        }
    }
    // Made outside the lock: connecting its events calls into the engine.
    ComPtr<IRecordingDevice> object;
    if (FAILED(hr = engine_->GetDevice(index, object.put()))) return hr;
    if (!object) return E_POINTER;
    ComPtr<EngineDevice> made = EngineDevice::Create(*this, object);
    bool kept = false;
    {
        std::lock_guard lock(devicesLock_);
        if (static_cast<std::size_t>(index) < devices_.size()) {
            ComPtr<EngineDevice>& slot = devices_[static_cast<std::size_t>(index)];
            if (!slot) {
                slot = made;
                kept = true;
            }
            device = slot.get();
        }
    }
    // Torn down meanwhile, or another thread made it first; disconnected outside the lock, as
    // the engine's events take it too.
    if (!kept) made->Disconnect();
    return device ? S_OK : RECORDING_E_NO_SUCH_DEVICE;
}

HRESULT EngineSession::SelectByIndex(LONG index) {
    EngineDevice* device = nullptr;
    const HRESULT hr = DeviceAt(index, device);
    if (FAILED(hr)) return hr;
    current_ = index;
    return S_OK;
}

HRESULT EngineSession::SelectByLetter(char letter) {
    if (!std::iswalpha(static_cast<unsigned char>(letter)) || static_cast<unsigned char>(letter) >= 0x80)
        return RECORDING_E_NO_SUCH_DEVICE;
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(letter)));
    LONG count = 0;
    if (FAILED(DeviceCount(count))) return RECORDING_E_NO_SUCH_DEVICE;
    for (LONG index = 0; index < count; ++index) {
        EngineDevice* device = nullptr;
        if (SUCCEEDED(DeviceAt(index, device)) && device->Letter() == wanted) {
            current_ = index;
            return S_OK;
        }
    }
    return RECORDING_E_NO_SUCH_DEVICE;
}

HRESULT EngineSession::CurrentIndex(LONG& index) {
    if (current_ < 0 && engine_) {
        Bstr preferred;
        if (SUCCEEDED(engine_->GetPreferredDevice(preferred.put()))) {
            const std::wstring text = preferred.Wide();
            if (!text.empty() && text[0] < 0x80) SelectByLetter(static_cast<char>(text[0]));
        }
    }
    index = current_;
    return index < 0 ? RECORDING_E_NO_SUCH_DEVICE : S_OK;
}

EngineDevice* EngineSession::CurrentDevice() {
    const LONG index = current_;
    std::lock_guard lock(devicesLock_);
    if (index < 0 || static_cast<std::size_t>(index) >= devices_.size()) return nullptr;
    return devices_[static_cast<std::size_t>(index)].get();
}

wchar_t EngineSession::CurrentLetter() {
    EngineDevice* device = CurrentDevice();
    return device ? device->Letter() : 0;
}

HRESULT EngineSession::GetCDCreationParams() {
    if (params_.fetched) return S_OK;
    if (!disc_) return E_POINTER;
    Bstr id;
    LONG options = 0, mask = 0, pause = 0, reserved = 0;
    BYTE value = 0;
    const HRESULT hr = AskWhileStarting(
        [&] { return disc_->GetCDCreationParams(id.put(), &options, &mask, &pause, &reserved, &value); });
    if (hr == RECORDING_E_STARTING) return E_FAIL;
    if (FAILED(hr)) return hr;
    params_.deviceId = id.Wide();
    params_.options = static_cast<std::uint32_t>(options);
    params_.speedMask = static_cast<std::uint32_t>(mask);
    params_.pauseFrames = pause;
    params_.reserved = reserved;
    params_.optionValue = value;
    params_.fetched = true;
    return S_OK;
}

HRESULT EngineSession::SetCDCreationParams() {
    if (!params_.fetched)
        throw std::logic_error("GetCDCreationParams() must be called before SetCDCreationParams()");
    if (!disc_) return E_POINTER;
    Bstr id;
    EngineDevice* device = CurrentDevice();
    if (!device || FAILED(device->GetIdentity(id.put()))) *id.put() = nullptr;
    const std::wstring identity = id.get() ? id.Wide() : params_.deviceId;
    const Bstr pass(identity);
    const HRESULT hr = disc_->SetCDCreationParams(pass.get(), static_cast<LONG>(params_.options),
                                                  static_cast<LONG>(params_.speedMask), params_.pauseFrames,
                                                  params_.reserved, 1, params_.optionValue);
    if (FAILED(hr)) {
        // The engine's account of the refusal is read and dropped; the parameters are
        // fetched again before the next use.
        LONG count = 0;
        if (engine_ && SUCCEEDED(engine_->GetErrorCount(&count))) {
            for (LONG i = 0; i < count; ++i) {
                HRESULT code = 0;
                Bstr text;
                engine_->GetError(i, &code, text.put());
            }
            engine_->ClearErrors();
        }
        params_.fetched = false;
        return E_FAIL;
    }
    params_.deviceId = identity;
    return S_OK;
}

HRESULT EngineSession::PrepareRecording() {
    EngineDevice* device = CurrentDevice();
    if (!device || !disc_) return RECORDING_E_NO_SUCH_DEVICE;
    RecordingMediaFlags flags{};
    flags.version = 1;
    RecordingMediaCapacity capacity{};
    capacity.version = 1;
    if (FAILED(device->GetMediaInfo(nullptr, nullptr, &flags, &capacity)) || capacity.freeFrames == 0)
        return RECORDING_E_DISC_FULL;
    LONG needed = 0;
    if (SUCCEEDED(disc_->GetSpaceNeeded(&needed)) && needed > 0 &&
        capacity.freeFrames < static_cast<std::uint32_t>(needed))
        return RECORDING_E_DISC_FULL;

    finished = false;
    HookEngineEventCallback();
    const HRESULT hr = disc_->Prepare(RECORDING_PREPARE_AUDIO);
    BurnEventSink* sink = Sink();
    if (FAILED(hr)) {
        if (sink) sink->RecordingFailedShort(0);
        return ENGINE_E_PREPARE_FAILED;
    }
    if (sink) sink->RecordingStarted();
    prepared = true;
    return S_OK;
}

std::string EngineSession::ExceptionText(HRESULT code) {
    std::string message = SystemText(code);
    char buffer[64];
    const auto value = static_cast<unsigned long>(code);
    if (message.empty()) {
        if (value >= 0x80040200ul && value <= 0x8004FFFFul)
            std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", static_cast<int>(value - 0x80040200ul));
        else
            std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", value);
        message = buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%08lX", value);
    return std::string("RecordTrack() threw an exception: \nHRESULT = 0x") + buffer + "\nerror message = " + message;
}

void EngineSession::RecordTrack() {
    HRESULT failure = S_OK;
    std::string text;
    EngineDevice* device = CurrentDevice();
    bool exclusive = false;
    try {
        if (!device || !disc_) {
            failure = RECORDING_E_NO_SUCH_DEVICE;
        } else {
            exclusive = SUCCEEDED(device->BeginExclusiveUse());
            HRESULT hr = PrepareRecording();
            if (FAILED(hr)) {
                failure = hr;
            } else if (!cancelRequested) {
                hr = disc_->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE);
                if (hr == RECORDING_E_CANCELLED && cancelRequested) {
                    // Stopped at the user's request: not a failure.
                } else if (FAILED(hr) || FAILED(hr = disc_->CloseDisc(RECORDING_CLOSE_FINALIZE))) {
                    failure = hr;
                    text = ExceptionText(hr);
                }
            }
        }
    } catch (...) {
        failure = E_FAIL;
        text = ExceptionText(E_FAIL);
    }
    if (FAILED(failure)) {
        failed = true;
        if (BurnEventSink* sink = Sink()) sink->RecordingFailed(failure, text);
    }
    if (exclusive) device->EndExclusiveUse();
    finished = true;
}

void EngineSession::HookEngineEventCallback() noexcept {
    try {
        if (engine_) events_.Connect(engine_.get(), IID_IRecordingEngineEvents, static_cast<IRecordingEngineEvents*>(this));
    } catch (...) {
        OutputDebugStringA("Exception in HookEngineEventCallback()\n");
    }
}

void EngineSession::UnhookEngineEventCallback() noexcept {
    try {
        events_.Disconnect();
    } catch (...) {
        OutputDebugStringA("Exception in UnhookEngineEventCallback()\n");
    }
}

HRESULT EngineSession::OnMediaChange(LONG present) {
    try {
        if (BurnEventSink* sink = Sink()) sink->MediaChanged(present != 0);
    } catch (...) {
    }
    return S_OK;
}

HRESULT EngineSession::QueryCancel(BYTE* cancel) {
    if (!cancel) return E_POINTER;
    *cancel = cancelRequested ? 1 : 0;
    return S_OK;
}
