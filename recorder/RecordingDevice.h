#pragma once
// RecordingDevice: the COM object of one virtual drive (IRecordingDevice and its device
// events). Created by the engine, one per drive; a client may keep it after the engine is
// gone. Queries run on the caller's thread; an asynchronous erase runs on the device's own
// thread, which keeps the object and the DLL alive until it ends (DllCanUnloadNow answers
// S_FALSE meanwhile). Events are raised without locks held.
#include <atomic>
#include <memory>
#include <mutex>

#include "engine/RecordingEngine.h"
#include "recorder/ConnectionPoint.h"
#include "recorder/EventWaiter.h"
#include "recorder/Drive.h"
#include "support/UniqueHandle.h"

class RecordingDevice final : public IRecordingDevice,
                              public IConnectionPointContainer,
                              private ::Drive::EraseObserver {
public:
    static ComPtr<RecordingDevice> Create(std::shared_ptr<::Drive> drive);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetIdentity(BSTR* id) override;
    HRESULT STDMETHODCALLTYPE GetName(WCHAR* driveLetter, BSTR* displayName) override;
    HRESULT STDMETHODCALLTYPE GetCapabilities(LONG* mediaAbilities, LONG* writeFeatures) override;
    HRESULT STDMETHODCALLTYPE GetSpeedMasks(LONG* readMask, LONG* writeMask, LONG* rewriteMask) override;
    HRESULT STDMETHODCALLTYPE IsMediaPresent(BYTE* present) override;
    HRESULT STDMETHODCALLTYPE IsReady(BYTE* ready) override;
    HRESULT STDMETHODCALLTYPE GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details, RecordingMediaFlags* flags,
                                           RecordingMediaCapacity* capacity) override;
    HRESULT STDMETHODCALLTYPE BeginExclusiveUse() override;
    HRESULT STDMETHODCALLTYPE EndExclusiveUse() override;
    HRESULT STDMETHODCALLTYPE CanEraseMedia(BYTE* erasable) override;
    HRESULT STDMETHODCALLTYPE IsReadyForErase(BYTE* ready) override;
    HRESULT STDMETHODCALLTYPE Erase(LONG options) override;
    HRESULT STDMETHODCALLTYPE GetEraseProgress(BYTE* done, LONG* doneCount, LONG* totalCount) override;
    HRESULT STDMETHODCALLTYPE GetImageFolder(BSTR* folder) override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    const std::shared_ptr<::Drive>& Drive() const { return drive_; }
    // Compares the drive with what the events last told and raises events for the
    // differences; answers whether the disc changed. The monitor's checks wait while an
    // erase runs, so that its events come in their order.
    bool CheckForChanges(bool fromMonitor = false);
    void FireWriteSpeedChange(LONG speedMask);

private:
    explicit RecordingDevice(std::shared_ptr<::Drive> drive);
    ~RecordingDevice();

    HRESULT RunErase(LONG options); // throws only when the events cannot be raised
    struct EraseJob;
    static DWORD WINAPI EraseThread(void* job);
    // Waits for the erase thread of an earlier erase, unless it is the calling thread.
    void JoinEraseThread();
    void OnEraseProgress(int percent) override;
    template <class Call>
    void Fire(Call call);

    std::atomic<ULONG> refs_{1};
    std::shared_ptr<::Drive> drive_;
    ConnectionPoint<IRecordingDeviceEvents> events_;
    std::mutex mutex_; // exclusive_, summary_, eraseThread_
    bool exclusive_ = false;
    ::Drive::Summary summary_;
    UniqueKernelHandle eraseThread_;
    DWORD eraseThreadId_ = 0;
    std::atomic<bool> erasing_{false};
    std::atomic<int> quiet_{0}; // erases running on this device
    EventWaiter eraseWaiter_; // never interrupted: an erase, once started, runs to its end
};
