#pragma once
// EngineSession: one connection to the recording engine. Holds the engine's main and disc
// interfaces, the devices asked for so far, the current device, the disc-creation
// parameters and the flags of a recording, and is the sink of the engine's events.
// Created and torn down by the EngineClient on its thread; RecordTrack runs on the
// EngineThread; the event methods run on the engine's threads. Reference counted like a
// COM object; Teardown drops the engine before the last reference goes.
#include "engine/BurnEventSink.h"
#include "engine/EngineDevice.h"
#include "engine/EventConnection.h"
#include "engine/RecordingEngine.h"
#include "support/ComPtr.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EngineSession final : public IRecordingEngineEvents {
public:
    // The disc-creation parameters as the engine keeps them.
    struct CreationParams {
        std::wstring deviceId;
        std::uint32_t options = 0;
        std::uint32_t speedMask = 0;
        LONG pauseFrames = 0;
        LONG reserved = 0;
        std::uint8_t optionValue = 0;
        bool fetched = false;
    };

    EngineSession() = default;
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // Takes the created engine object (already run) and connects: main interface, the
    // client's identity, the disc interface, the ready wait and the device choice.
    HRESULT Connect(IUnknown* engineObject, const std::string& clientName, LONG value);
    // Disconnects the events, drops the devices and the engine. Idempotent.
    void Teardown() noexcept;

    IRecordingEngine* Engine() const { return engine_.get(); }
    IRecordingDisc* Disc() const { return disc_.get(); }

    void SetSink(BurnEventSink* sink) { sink_ = sink; }
    BurnEventSink* Sink() const { return sink_.load(); }

    // Devices: the count is read once; wrappers are made once per index.
    HRESULT DeviceCount(LONG& count);
    HRESULT DeviceAt(LONG index, EngineDevice*& device);
    HRESULT SelectByIndex(LONG index);
    HRESULT SelectByLetter(char letter);
    // Selects the engine's preferred device when none is current; answers the current index.
    HRESULT CurrentIndex(LONG& index);
    EngineDevice* CurrentDevice();
    // The current device's drive letter, 0 while none is current.
    wchar_t CurrentLetter();

    // Fetches the parameters from the engine unless already fetched; a starting engine is
    // asked again every 100 ms for at most 5000 ms (then E_FAIL).
    HRESULT GetCDCreationParams();
    // Writes the parameters back for the current device. Throws std::logic_error when they
    // were never fetched; on failure drops the engine's errors and marks them stale.
    HRESULT SetCDCreationParams();
    CreationParams& Params() { return params_; }

    // The recording, on the EngineThread: prepare, record, close; reports a failure
    // through the sink's slot 17 and then sets the finished flag.
    void RecordTrack();
    HRESULT PrepareRecording();

    // Flags of a recording, shared between the client's thread, the worker and the engine.
    std::atomic<bool> prepared{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> failed{false}; // RecordTrack reported a failure; set before finished
    std::atomic<bool> cancelRequested{false};

    // The text a failed recording step reports.
    static std::string ExceptionText(HRESULT code);

    // IUnknown: answers IRecordingEngineEvents only (E_NOTIMPL for the rest).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IRecordingEngineEvents
    HRESULT STDMETHODCALLTYPE OnMediaChange(LONG present) override;
    HRESULT STDMETHODCALLTYPE OnStatusChange(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(LONG, LONG, LONG, LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnTrackStart(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnTrackEnd(LONG, LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnError(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryCancel(BYTE* cancel) override;

private:
    ~EngineSession();

    HRESULT WaitUntilReady(LONG& count);
    HRESULT ChooseDevice(LONG count);
    void HookEngineEventCallback() noexcept;
    void UnhookEngineEventCallback() noexcept;

    std::atomic<ULONG> refs_{1};
    ComPtr<IRecordingEngine> engine_;
    ComPtr<IRecordingDisc> disc_;
    EventConnection events_;
    std::atomic<BurnEventSink*> sink_{nullptr};

    std::mutex devicesLock_; // the device table is read by event methods on other threads
    std::vector<ComPtr<EngineDevice>> devices_; // by index; null until asked for
    LONG deviceCount_ = -1;                               // -1 until read
    std::atomic<LONG> current_{-1};
    CreationParams params_;
};
#pragma GCC diagnostic pop
