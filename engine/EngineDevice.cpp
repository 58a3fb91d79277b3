#include "engine/EngineDevice.h"

#include "engine/EngineSession.h"
#include "support/PumpMessagesFor.h"
#include "engine/Bstr.h"

#include <windows.h>
#include <oleauto.h>

#include <cwctype>

namespace {

// Speeds of the set bits of a mask, from bit 31 down to bit 0.
void AppendSpeeds(std::uint32_t mask, std::vector<std::uint16_t>& speeds) {
    for (int bit = 31; bit >= 0; --bit)
        if (mask & (1u << bit)) speeds.push_back(static_cast<std::uint16_t>(RecordingSpeedOfBit(static_cast<unsigned>(bit))));
}

} // namespace

ComPtr<EngineDevice> EngineDevice::Create(EngineSession& session, ComPtr<IRecordingDevice> device) {
    ComPtr<EngineDevice> made = ComPtr<EngineDevice>::Attach(new EngineDevice(session, std::move(device)));
    // The letter is read before any event can ask for it on an engine thread.
    made->Letter();
    made->HookDeviceEventCallback();
    return made;
}

EngineDevice::EngineDevice(EngineSession& session, ComPtr<IRecordingDevice> device) : device_(std::move(device)) {
    session_ = ComPtr<EngineSession>(&session); // its own reference
}

EngineDevice::~EngineDevice() { UnhookDeviceEventCallback(); }

ULONG EngineDevice::AddRef() { return ++refs_; }

ULONG EngineDevice::Release() {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

void EngineDevice::Disconnect() noexcept { UnhookDeviceEventCallback(); }

void EngineDevice::HookDeviceEventCallback() noexcept {
    try {
        if (device_) events_.Connect(device_.get(), IID_IRecordingDeviceEvents, static_cast<IRecordingDeviceEvents*>(this));
    } catch (...) {
        OutputDebugStringA("Exception in HookDeviceEventCallback()\n");
    }
}

void EngineDevice::UnhookDeviceEventCallback() noexcept {
    try {
        events_.Disconnect();
    } catch (...) {
        OutputDebugStringA("Exception in UnhookDeviceEventCallback()\n");
    }
}

wchar_t EngineDevice::Letter() {
    if (wchar_t letter = letter_.load()) return letter;
    WCHAR letter = 0;
    Bstr name;
    if (!device_ || FAILED(device_->GetName(&letter, name.put()))) return 0;
    letter = static_cast<WCHAR>(std::towupper(letter));
    letter_ = letter;
    return letter;
}

HRESULT EngineDevice::GetName(char& letter, std::string& displayName) {
    if (!device_) return E_POINTER;
    WCHAR wideLetter = 0;
    Bstr name;
    const HRESULT hr = device_->GetName(&wideLetter, name.put());
    if (FAILED(hr)) return hr;
    letter = wideLetter < 0x80 ? static_cast<char>(wideLetter) : '?';
    displayName = name.Narrow();
    return hr;
}

HRESULT EngineDevice::GetIdentity(BSTR* identity) {
    if (!identity) return E_POINTER;
    if (!device_) return E_POINTER;
    return device_->GetIdentity(identity);
}

HRESULT EngineDevice::GetCapabilities(DriveCapabilities& capabilities) {
    if (capabilities.version != 1) return E_INVALIDARG;
    if (!device_) return E_POINTER;
    LONG abilities = 0, features = 0;
    const HRESULT hr = device_->GetCapabilities(&abilities, &features);
    if (FAILED(hr)) return hr;
    capabilities.Decode(static_cast<std::uint32_t>(abilities), static_cast<std::uint32_t>(features));
    return S_OK;
}

HRESULT EngineDevice::GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                                std::vector<std::uint16_t>& writeSpeeds) {
    readSpeeds.clear();
    writeSpeeds.clear();
    DriveCapabilities capabilities;
    HRESULT hr = GetCapabilities(capabilities);
    if (FAILED(hr)) return hr;
    LONG readMask = 0, writeMask = 0, rewriteMask = 0;
    hr = device_->GetSpeedMasks(&readMask, &writeMask, &rewriteMask);
    for (int retry = 0; retry < 10 && hr == RECORDING_E_DEVICE_BUSY; ++retry) {
        PumpMessagesFor(100);
        hr = device_->GetSpeedMasks(&readMask, &writeMask, &rewriteMask);
    }
    if (FAILED(hr)) return E_FAIL;
    const bool rewritable = (mediaKind & RECORDING_MEDIA_CD_RW) != 0;
    if (capabilities.readsCd && (!rewritable || capabilities.readsCdRw))
        AppendSpeeds(static_cast<std::uint32_t>(readMask), readSpeeds);
    const std::uint32_t mask = static_cast<std::uint32_t>(rewritable ? rewriteMask : writeMask);
    if ((capabilities.writesCdR || capabilities.writesCdRw) && mask != 0) AppendSpeeds(mask, writeSpeeds);
    return S_OK;
}

HRESULT EngineDevice::GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details, RecordingMediaFlags* flags,
                                   RecordingMediaCapacity* capacity) {
    if (!device_) return E_POINTER;
    LONG type = 0;
    const HRESULT hr = device_->GetMediaInfo(&type, details, flags, capacity);
    if (mediaType) *mediaType = type;
    return hr;
}

namespace {
template <class Query>
HRESULT AskBoolean(IRecordingDevice* device, Query query, bool& answer) {
    answer = false;
    if (!device) return E_POINTER;
    BYTE value = 0;
    const HRESULT hr = (device->*query)(&value);
    answer = SUCCEEDED(hr) && value != 0;
    return hr;
}
} // namespace

HRESULT EngineDevice::IsMediaPresent(bool& present) { return AskBoolean(device_.get(), &IRecordingDevice::IsMediaPresent, present); }
HRESULT EngineDevice::IsReady(bool& ready) { return AskBoolean(device_.get(), &IRecordingDevice::IsReady, ready); }
HRESULT EngineDevice::CanEraseMedia(bool& erasable) {
    return AskBoolean(device_.get(), &IRecordingDevice::CanEraseMedia, erasable);
}
HRESULT EngineDevice::IsReadyForErase(bool& ready) {
    return AskBoolean(device_.get(), &IRecordingDevice::IsReadyForErase, ready);
}
HRESULT EngineDevice::BeginExclusiveUse() { return device_ ? device_->BeginExclusiveUse() : E_POINTER; }
HRESULT EngineDevice::EndExclusiveUse() { return device_ ? device_->EndExclusiveUse() : E_POINTER; }
HRESULT EngineDevice::Erase(LONG options) { return device_ ? device_->Erase(options) : E_POINTER; }

HRESULT EngineDevice::GetEraseProgress(bool& done, LONG& doneCount, LONG& totalCount) {
    if (!device_) return E_POINTER;
    BYTE finished = 0;
    const HRESULT hr = device_->GetEraseProgress(&finished, &doneCount, &totalCount);
    done = SUCCEEDED(hr) && finished != 0;
    return hr;
}

bool EngineDevice::IsCurrent() {
    const wchar_t current = session_->CurrentLetter();
    return current != 0 && current == Letter();
}

HRESULT EngineDevice::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IRecordingDeviceEvents) && !IsEqualIID(iid, IID_IUnknown)) return E_NOTIMPL;
    *out = static_cast<IRecordingDeviceEvents*>(this);
    AddRef();
    return S_OK;
}

HRESULT EngineDevice::OnReadyChange(LONG ready) {
    try {
        if (!IsCurrent()) return S_FALSE;
        if (BurnEventSink* sink = session_->Sink()) sink->DeviceStateChanged(ready != 0);
        return S_OK;
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT EngineDevice::OnStatus(LONG status) {
    lastStatus_ = status;
    ++statusCount_;
    if (status >= 0) return S_FALSE;
    try {
        if (BurnEventSink* sink = session_->Sink()) sink->DeviceFailure(status);
        return S_OK;
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT EngineDevice::OnMediaChange(LONG) {
    try {
        if (!IsCurrent()) return S_FALSE;
        if (BurnEventSink* sink = session_->Sink()) sink->MediaChanged(true);
        return S_OK;
    } catch (...) {
        return S_FALSE;
    }
}
