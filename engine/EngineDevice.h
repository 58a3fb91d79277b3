#pragma once
// EngineDevice: one recording device of the engine, and the sink of that device's events.
// Created by its EngineSession on the first request for its index and disconnected when the
// session ends. Reference counted like a COM object: the session holds one reference, the
// engine one while the events are connected and another for each event it is raising, so an
// event that comes late still finds the object (and its session, which it holds) alive and
// reaches no sink. Queries run on the caller's thread; the events arrive on the engine's
// threads and only reach the session's BurnEventSink.
#include "engine/DriveCapabilities.h"
#include "engine/EventConnection.h"
#include "engine/RecordingEngine.h"
#include "support/ComPtr.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class EngineSession;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EngineDevice final : public IRecordingDeviceEvents {
public:
    // A device with its events connected.
    static ComPtr<EngineDevice> Create(EngineSession& session, ComPtr<IRecordingDevice> device);
    EngineDevice(const EngineDevice&) = delete;
    EngineDevice& operator=(const EngineDevice&) = delete;

    IRecordingDevice* Device() const { return device_.get(); }

    // The drive letter (upper case), 0 when the device can't tell it.
    wchar_t Letter();
    HRESULT GetName(char& letter, std::string& displayName);
    HRESULT GetIdentity(BSTR* identity);
    // capabilities.version must be 1 (E_INVALIDARG otherwise).
    HRESULT GetCapabilities(DriveCapabilities& capabilities);
    // Read and write speeds in x for a media kind (4: rewritable), fastest first. A busy
    // device is asked again every 100 ms, at most 10 more times, keeping messages flowing.
    HRESULT GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                      std::vector<std::uint16_t>& writeSpeeds);
    // Any of the records may be null; the caller sets the versions of flags and capacity.
    HRESULT GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details, RecordingMediaFlags* flags,
                         RecordingMediaCapacity* capacity);
    HRESULT IsMediaPresent(bool& present);
    HRESULT IsReady(bool& ready);
    HRESULT CanEraseMedia(bool& erasable);
    HRESULT IsReadyForErase(bool& ready);
    HRESULT BeginExclusiveUse();
    HRESULT EndExclusiveUse();
    HRESULT Erase(LONG options);
    HRESULT GetEraseProgress(bool& done, LONG& doneCount, LONG& totalCount);

    // The status of the device's last event of that kind, and how many such events came: an
    // operation that ends with a status event compares the count before and after.
    std::int32_t LastStatus() const { return lastStatus_.load(); }
    std::uint32_t StatusCount() const { return statusCount_.load(); }

    // Disconnects the events; later events reach nothing. Idempotent.
    void Disconnect() noexcept;

    // IUnknown: answers IRecordingDeviceEvents and IUnknown, E_NOTIMPL for the rest.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IRecordingDeviceEvents: 0 when forwarded to the session's sink, 1 when ignored.
    HRESULT STDMETHODCALLTYPE OnReadyChange(LONG ready) override;
    HRESULT STDMETHODCALLTYPE OnExclusiveUseChange(LONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnWriteSpeedChange(LONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnEraseProgress(LONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnStatus(LONG status) override;
    HRESULT STDMETHODCALLTYPE OnEraseStart(LONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnEraseEnd(LONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnMediaChange(LONG present) override;
    HRESULT STDMETHODCALLTYPE OnTrackCountChange(LONG) override { return S_FALSE; }

private:
    EngineDevice(EngineSession& session, ComPtr<IRecordingDevice> device);
    ~EngineDevice();

    void HookDeviceEventCallback() noexcept;
    void UnhookDeviceEventCallback() noexcept;
    // True when this device is the session's current device (same drive letter).
    bool IsCurrent();

    std::atomic<ULONG> refs_{1};
    ComPtr<EngineSession> session_;
    ComPtr<IRecordingDevice> device_;
    EventConnection events_;
    std::atomic<std::int32_t> lastStatus_{0};
    std::atomic<std::uint32_t> statusCount_{0};
    std::atomic<wchar_t> letter_{0}; // read once, then kept
};
#pragma GCC diagnostic pop
