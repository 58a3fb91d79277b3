#include "recorder/RecordingDevice.h"

#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/RecorderModule.h"
#include "recorder/WinText.h"

struct RecordingDevice::EraseJob {
    RecordingDevice* device;
    LONG options;
    HMODULE pin;
};

ComPtr<RecordingDevice> RecordingDevice::Create(std::shared_ptr<::Drive> drive) {
    return ComPtr<RecordingDevice>::Attach(new RecordingDevice(std::move(drive)));
}

RecordingDevice::RecordingDevice(std::shared_ptr<::Drive> drive)
    : drive_(std::move(drive)), events_(*static_cast<IRecordingDevice*>(this), *this), summary_(drive_->Summarize()) {
    RecorderModule::ObjectCreated();
}

RecordingDevice::~RecordingDevice() {
    JoinEraseThread(); // the erase thread itself may let go of the last reference: it ends right after
    eraseThread_.reset();
    if (exclusive_) drive_->Release();
    events_.Clear();
    RecorderModule::ObjectDestroyed();
}

HRESULT RecordingDevice::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingDevice))
        *out = static_cast<IRecordingDevice*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *out = static_cast<IConnectionPointContainer*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG RecordingDevice::AddRef() { return ++refs_; }

ULONG RecordingDevice::Release() {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

template <class Call>
void RecordingDevice::Fire(Call call) {
    for (const ComPtr<IRecordingDeviceEvents>& sink : events_.Sinks()) call(sink.get());
}

HRESULT RecordingDevice::GetIdentity(BSTR* id) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!id) return E_POINTER;
        *id = NewBstr(drive_->Identity());
        return S_OK;
    });
}

HRESULT RecordingDevice::GetName(WCHAR* driveLetter, BSTR* displayName) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!driveLetter && !displayName) return E_POINTER;
        if (driveLetter) *driveLetter = static_cast<WCHAR>(drive_->Letter());
        if (displayName) *displayName = NewBstr(WinText::Wide(drive_->Config().name));
        return S_OK;
    });
}

HRESULT RecordingDevice::GetCapabilities(LONG* mediaAbilities, LONG* writeFeatures) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!mediaAbilities || !writeFeatures) return E_POINTER;
        DriveConfig config = drive_->Config();
        *mediaAbilities = static_cast<LONG>(config.mediaAbilities);
        *writeFeatures = static_cast<LONG>(config.writeFeatures);
        return S_OK;
    });
}

HRESULT RecordingDevice::GetSpeedMasks(LONG* readMask, LONG* writeMask, LONG* rewriteMask) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!readMask || !writeMask || !rewriteMask) return E_POINTER;
        if (HRESULT busy = drive_->TakeBusyFault()) return busy;
        DriveConfig config = drive_->Config();
        auto mask = [](const std::vector<unsigned>& speeds) {
            std::uint32_t m = 0;
            for (unsigned speed : speeds) m |= RecordingSpeedMask(speed);
            return static_cast<LONG>(m);
        };
        *readMask = mask(config.readSpeeds);
        *writeMask = mask(config.writeSpeeds);
        *rewriteMask = mask(config.rewriteSpeeds);
        return S_OK;
    });
}

HRESULT RecordingDevice::IsMediaPresent(BYTE* present) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!present) return E_POINTER;
        *present = drive_->MediaPresent();
        return S_OK;
    });
}

HRESULT RecordingDevice::IsReady(BYTE* ready) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!ready) return E_POINTER;
        *ready = drive_->Ready();
        return S_OK;
    });
}

HRESULT RecordingDevice::GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details, RecordingMediaFlags* flags,
                                      RecordingMediaCapacity* capacity) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if ((flags && flags->version != 1) || (capacity && capacity->version != 1)) return E_INVALIDARG;
        MediaDescription media = drive_->Describe();
        if (mediaType) *mediaType = media.type;
        if (details) *details = media.details;
        if (flags) *flags = media.flags;
        if (capacity) *capacity = media.capacity;
        return S_OK;
    });
}

HRESULT RecordingDevice::BeginExclusiveUse() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        {
            std::lock_guard lock(mutex_);
            if (exclusive_) return S_FALSE;
            drive_->Acquire();
            exclusive_ = true;
        }
        Fire([](IRecordingDeviceEvents* sink) { sink->OnExclusiveUseChange(1); });
        return S_OK;
    });
}

HRESULT RecordingDevice::EndExclusiveUse() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        {
            std::lock_guard lock(mutex_);
            if (!exclusive_) return S_FALSE;
            exclusive_ = false;
            drive_->Release();
        }
        Fire([](IRecordingDeviceEvents* sink) { sink->OnExclusiveUseChange(0); });
        return S_OK;
    });
}

HRESULT RecordingDevice::CanEraseMedia(BYTE* erasable) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!erasable) return E_POINTER;
        DriveConfig config = drive_->Config();
        *erasable = config.disc.media == RECORDING_MEDIA_CD_RW && (config.mediaAbilities & RECORDING_CAN_ERASE_CD_RW);
        return S_OK;
    });
}

HRESULT RecordingDevice::IsReadyForErase(BYTE* ready) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!ready) return E_POINTER;
        *ready = drive_->Ready() && drive_->CurrentActivity() == ::Drive::Activity::None;
        if (*ready && !drive_->HoldsLock()) {
            try { // free unless another program holds the drive
                drive_->Acquire();
                drive_->Release();
            } catch (const EngineFailure&) {
                *ready = 0;
            }
        }
        return S_OK;
    });
}

HRESULT RecordingDevice::Erase(LONG options) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (options & ~(RECORDING_ERASE_FULL | RECORDING_ERASE_ASYNC)) return E_INVALIDARG;
        if (!(options & RECORDING_ERASE_ASYNC)) return RunErase(options);
        drive_->CheckErasable(); // the obvious refusals come back at once
        std::lock_guard lock(mutex_);
        if (erasing_) return static_cast<HRESULT>(RECORDING_E_DEVICE_BUSY);
        JoinEraseThread();
        auto job = std::make_unique<EraseJob>(EraseJob{this, options, RecorderModule::Pin()});
        erasing_ = true;
        drive_->StartEraseProgress();
        AddRef(); // released by the thread when the erase has ended
        RecorderModule::ThreadStarted();
        DWORD id = 0;
        eraseThread_.reset(CreateThread(nullptr, 0, EraseThread, job.get(), 0, &id));
        if (!eraseThread_) {
            const HRESULT failure = HRESULT_FROM_WIN32(GetLastError());
            RecorderModule::ThreadEnded();
            if (job->pin) FreeLibrary(job->pin);
            erasing_ = false;
            Release();
            return failure;
        }
        eraseThreadId_ = id;
        job.release(); // the thread's now
        return S_OK;
    });
}

DWORD WINAPI RecordingDevice::EraseThread(void* argument) {
    const EraseJob job = *static_cast<EraseJob*>(argument);
    delete static_cast<EraseJob*>(argument);
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ReturnEngineCodeOnThrow([&] { return job.device->RunErase(job.options); });
    // Cleared after the erase's events: a client that reads the progress as done has its status.
    job.device->erasing_ = false;
    if (SUCCEEDED(init)) CoUninitialize();
    job.device->Release();
    RecorderModule::ThreadEnded();
    if (job.pin) FreeLibraryAndExitThread(job.pin, 0);
    return 0;
}

void RecordingDevice::JoinEraseThread() {
    if (!eraseThread_ || eraseThreadId_ == GetCurrentThreadId()) return;
    WaitForSingleObject(eraseThread_.get(), INFINITE);
    eraseThread_.reset();
}

HRESULT RecordingDevice::RunErase(LONG options) {
    struct Quiet { // the monitor stays silent while the erase reports its own changes
        std::atomic<int>& count;
        explicit Quiet(std::atomic<int>& c) : count(c) { ++count; }
        ~Quiet() { --count; }
    } quiet(quiet_);
    Fire([&](IRecordingDeviceEvents* sink) { sink->OnEraseStart(options); });
    HRESULT hr = ReturnEngineCodeOnThrow([&] { return static_cast<HRESULT>(drive_->Erase(options & RECORDING_ERASE_FULL, eraseWaiter_, *this)); });
    Fire([&](IRecordingDeviceEvents* sink) { sink->OnEraseEnd(hr); });
    Fire([&](IRecordingDeviceEvents* sink) { sink->OnStatus(hr); });
    CheckForChanges();
    return hr;
}

void RecordingDevice::OnEraseProgress(int percent) {
    Fire([&](IRecordingDeviceEvents* sink) { sink->OnEraseProgress(percent); });
}

HRESULT RecordingDevice::GetEraseProgress(BYTE* done, LONG* doneCount, LONG* totalCount) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!done || !doneCount || !totalCount) return E_POINTER;
        ::Drive::EraseProgress progress = drive_->Progress();
        // Done once the erase's end and status have been told, too.
        *done = progress.done && !erasing_;
        *doneCount = static_cast<LONG>(progress.doneFrames);
        *totalCount = static_cast<LONG>(progress.totalFrames);
        return S_OK;
    });
}

HRESULT RecordingDevice::GetImageFolder(BSTR* folder) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!folder) return E_POINTER;
        *folder = NewBstr(drive_->ImageFolder());
        return S_OK;
    });
}

HRESULT RecordingDevice::EnumConnectionPoints(IEnumConnectionPoints** points) { return events_.EnumerateAsOnlyPoint(points); }

HRESULT RecordingDevice::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return events_.FindAsOnlyPoint(iid, point);
}

bool RecordingDevice::CheckForChanges(bool fromMonitor) {
    if (fromMonitor && quiet_ > 0) return false;
    ::Drive::Summary now = drive_->Summarize();
    ::Drive::Summary before;
    {
        std::lock_guard lock(mutex_);
        before = summary_;
        summary_ = now;
    }
    if (now.ready != before.ready) Fire([&](IRecordingDeviceEvents* sink) { sink->OnReadyChange(now.ready); });
    bool mediaChanged = now.present != before.present || now.disc != before.disc;
    if (mediaChanged) Fire([&](IRecordingDeviceEvents* sink) { sink->OnMediaChange(now.present); });
    if (now.tracks != before.tracks) Fire([&](IRecordingDeviceEvents* sink) { sink->OnTrackCountChange(now.tracks); });
    return mediaChanged;
}

void RecordingDevice::FireWriteSpeedChange(LONG speedMask) {
    Fire([&](IRecordingDeviceEvents* sink) { sink->OnWriteSpeedChange(speedMask); });
}
