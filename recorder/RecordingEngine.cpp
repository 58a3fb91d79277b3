#include "recorder/RecordingEngine.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "recorder/AudioFiles.h"
#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/ErrorTexts.h"
#include "recorder/RealRecorder.h"
#include "recorder/RealRecorderFinder.h"
#include "recorder/RecorderModule.h"
#include "recorder/VirtualDrive.h"
#include "recorder/WinText.h"

namespace {

constexpr auto kMonitorPeriod = std::chrono::milliseconds(500);

} // namespace

HRESULT RecordingEngine::Create(REFIID iid, void** out) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        ComPtr<RecordingEngine> engine = ComPtr<RecordingEngine>::Attach(new RecordingEngine());
        return engine->QueryInterface(iid, out);
    });
}

RecordingEngine::RecordingEngine()
    : events_(*static_cast<IRecordingEngine*>(this), *this), session_(*this) {
    RecorderModule::ObjectCreated();
}

RecordingEngine::~RecordingEngine() {
    monitor_.Stop();
    session_.Abort();
    RecorderModule::ObjectDestroyed();
}

// ---- IUnknown

HRESULT RecordingEngine::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingEngine))
        *out = static_cast<IRecordingEngine*>(this);
    else if (IsEqualIID(iid, IID_IRecordingDisc))
        *out = static_cast<IRecordingDisc*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *out = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IRunnableObject))
        *out = static_cast<IRunnableObject*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG RecordingEngine::AddRef() { return ++refs_; }

ULONG RecordingEngine::Release() {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

// ---- Starting

HRESULT RecordingEngine::Start() {
    std::lock_guard lock(mutex_);
    if (running_) return S_OK;
    configFile_ = EngineConfigFile::Locate(explicitConfig_);
    EngineConfig config;
    try {
        config = configFile_.Load();
    } catch (const ContextException& e) {
        std::string text =
            ErrorTexts::Describe(RECORDING_E_CONFIGURATION) + " " + WinText::Utf8(configFile_.Path()) + ": " + e.Context();
        OutputDebugStringA(("recorder: " + text + "\n").c_str());
        ClearErrors(); // each attempt to start tells its own failure once
        AddError(RECORDING_E_CONFIGURATION, text);
        return RECORDING_E_CONFIGURATION;
    }
    Clock::time_point now = Clock::now();
    std::uint32_t startupMs = 0;
    devices_.clear();
    for (const DriveConfig& drive : config.drives) {
        startupMs = std::max(startupMs, drive.faults.startupMs);
        devices_.push_back(RecordingDevice::Create(std::make_shared<VirtualDrive>(drive, configFile_.ImageFolder(drive), now)));
    }
    std::size_t virtualCount = devices_.size();
    if (config.realRecorders)
        for (std::shared_ptr<RealRecorder>& recorder : RealRecorderFinder::FindAll(appName_)) {
            if (config.Find(recorder->Letter())) { // the drive file's own drive keeps its letter
                OutputDebugStringA((std::string("recorder: real recorder ") + recorder->Letter() + ": hidden by a virtual drive\n").c_str());
                continue;
            }
            devices_.push_back(RecordingDevice::Create(std::move(recorder)));
        }
    startingUntil_ = now + std::chrono::milliseconds(startupMs);
    // The preferred drive when it exists, else the first real recorder, else the first virtual
    // drive that writes: someone with a CD writer means to burn discs.
    auto writes = [&](std::size_t i) { return devices_[i]->Drive()->Config().writeFeatures != 0; };
    auto first = [&](std::size_t from, std::size_t to, auto accept) -> std::optional<std::size_t> {
        for (std::size_t i = from; i < to; ++i)
            if (accept(i)) return i;
        return std::nullopt;
    };
    std::optional<std::size_t> chosen;
    if (config.preferredDrive)
        chosen = first(0, devices_.size(), [&](std::size_t i) { return devices_[i]->Drive()->Letter() == config.preferredDrive; });
    if (!chosen) chosen = first(virtualCount, devices_.size(), writes);
    if (!chosen) chosen = first(0, virtualCount, writes);
    recordingDevice_ = chosen.value_or(0);
    running_ = true;
    monitor_.Start(kMonitorPeriod, [this] { CheckDevices(false); });
    return S_OK;
}

void RecordingEngine::CheckDevices(bool reload) {
    std::vector<ComPtr<RecordingDevice>> devices;
    std::size_t recording;
    {
        std::lock_guard lock(mutex_);
        if (!running_) return;
        if (configFile_.TakeChange() || reload) {
            try { // the discs and faults of known drives; the drive list stays as started
                EngineConfig config = configFile_.Reload();
                for (const ComPtr<RecordingDevice>& device : devices_)
                    if (auto* drive = dynamic_cast<VirtualDrive*>(device->Drive().get()))
                        if (const DriveConfig* changed = config.Find(drive->Letter()))
                            drive->UpdateConfig(*changed, configFile_.ImageFolder(*changed));
            } catch (const ContextException& e) {
                OutputDebugStringA(("recorder: drive file not reloaded: " + std::string(e.what()) + "\n").c_str());
            }
        }
        devices = devices_;
        recording = recordingDevice_;
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        bool changed = devices[i]->CheckForChanges(!reload);
        if (changed && i == recording) {
            LONG present = devices[i]->Drive()->MediaPresent();
            Fire([&](IRecordingEngineEvents* sink) { sink->OnMediaChange(present); });
        }
    }
}

HRESULT RecordingEngine::Ready(bool needStarted) const {
    std::lock_guard lock(mutex_);
    if (!initialized_) return RECORDING_E_NOT_INITIALIZED;
    if (needStarted && Clock::now() < startingUntil_) return RECORDING_E_STARTING;
    return S_OK;
}

ComPtr<RecordingDevice> RecordingEngine::RecordingDeviceObject() const {
    std::lock_guard lock(mutex_);
    return recordingDevice_ < devices_.size() ? devices_[recordingDevice_] : ComPtr<RecordingDevice>();
}

void RecordingEngine::AddError(std::int32_t code, const std::string& text) {
    std::lock_guard lock(errorsMutex_);
    errors_.emplace_back(code, WinText::Wide(text));
}

// ---- IRecordingEngine

HRESULT RecordingEngine::GetEngineName(BSTR* name) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = NewBstr(L"Recording engine with virtual drives");
        return S_OK;
    });
}

HRESULT RecordingEngine::GetEngineVersion(LONG* version) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!version) return E_POINTER;
        *version = kVersion;
        return S_OK;
    });
}

HRESULT RecordingEngine::GetConfigurationPath(BSTR* path) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!path) return E_POINTER;
        std::lock_guard lock(mutex_);
        *path = NewBstr(running_ ? configFile_.Path() : EngineConfigFile::Locate(explicitConfig_).Path());
        return S_OK;
    });
}

HRESULT RecordingEngine::SetConfigurationPath(BSTR path) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        std::lock_guard lock(mutex_);
        if (running_) return E_UNEXPECTED;
        explicitConfig_ = BstrText(path);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDeviceCount(LONG* count) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = 0;
        if (HRESULT hr = Ready(true)) return hr;
        std::lock_guard lock(mutex_);
        *count = static_cast<LONG>(devices_.size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDevice(LONG index, IRecordingDevice** device) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!device) return E_POINTER;
        *device = nullptr;
        if (HRESULT hr = Ready(true)) return hr;
        std::lock_guard lock(mutex_);
        if (index < 0 || static_cast<std::size_t>(index) >= devices_.size()) return RECORDING_E_NO_SUCH_DEVICE;
        *device = devices_[static_cast<std::size_t>(index)].get();
        (*device)->AddRef();
        return S_OK;
    });
}

HRESULT RecordingEngine::FindDevice(BSTR driveLetter, LONG* index) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!index) return E_POINTER;
        *index = -1;
        if (HRESULT hr = Ready(true)) return hr;
        std::wstring letter = BstrText(driveLetter);
        if (letter.empty()) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < devices_.size(); ++i)
            if (static_cast<wchar_t>(std::towupper(letter[0])) == static_cast<wchar_t>(devices_[i]->Drive()->Letter())) {
                *index = static_cast<LONG>(i);
                return S_OK;
            }
        return RECORDING_E_NO_SUCH_DEVICE;
    });
}

HRESULT RecordingEngine::IsFileSupported(BSTR path, BYTE* supported) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!supported) return E_POINTER;
        *supported = 0;
        if (HRESULT hr = Ready(false)) return hr;
        if (BstrText(path).empty()) return E_INVALIDARG;
        *supported = AudioFiles::KnownType(BstrText(path));
        return S_OK;
    });
}

HRESULT RecordingEngine::IsFileTypeReadable(BSTR path, BYTE* readable) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!readable) return E_POINTER;
        *readable = 0;
        if (HRESULT hr = Ready(false)) return hr;
        if (BstrText(path).empty()) return E_INVALIDARG;
        try {
            AudioFiles::Probe(BstrText(path));
            *readable = 1;
        } catch (const EngineFailure&) {
            *readable = 0;
        }
        return S_OK;
    });
}

HRESULT RecordingEngine::GetAudioFileFrames(BSTR path, LONG* frames) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = 0;
        if (HRESULT hr = Ready(false)) return hr;
        std::uint64_t count = RedBook::FramesForBytes(AudioFiles::Open(BstrText(path))->OutputBytes());
        *frames = static_cast<LONG>(std::min<std::uint64_t>(count, 0x7FFFFFFF));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetSupportedFileTypes(BSTR* extensions) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!extensions) return E_POINTER;
        *extensions = NewBstr(WinText::Wide(AudioFiles::kReadableTypes));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDisc(IRecordingDisc** disc) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!disc) return E_POINTER;
        *disc = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        *disc = static_cast<IRecordingDisc*>(this);
        AddRef();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetErrorCount(LONG* count) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!count) return E_POINTER;
        std::lock_guard lock(errorsMutex_);
        *count = static_cast<LONG>(errors_.size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetError(LONG index, HRESULT* code, BSTR* text) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!code || !text) return E_POINTER;
        *text = nullptr;
        std::lock_guard lock(errorsMutex_);
        if (index < 0 || static_cast<std::size_t>(index) >= errors_.size()) return E_INVALIDARG;
        *code = errors_[static_cast<std::size_t>(index)].first;
        *text = NewBstr(errors_[static_cast<std::size_t>(index)].second);
        return S_OK;
    });
}

HRESULT RecordingEngine::ClearErrors() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        std::lock_guard lock(errorsMutex_);
        errors_.clear();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetErrorText(HRESULT code, BSTR* text) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!text) return E_POINTER;
        *text = NewBstr(WinText::Wide(ErrorTexts::Describe(code)));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetStatus(LONG* statusWord) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!statusWord) return E_POINTER;
        std::uint32_t status = session_.GetProgress().status;
        std::lock_guard lock(mutex_);
        for (const ComPtr<RecordingDevice>& device : devices_)
            if (device->Drive()->CurrentActivity() == Drive::Activity::Erasing) status |= RECORDING_STATUS_ERASING;
        *statusWord = static_cast<LONG>(status);
        return S_OK;
    });
}

HRESULT RecordingEngine::IsStarted(BYTE* started) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!started) return E_POINTER;
        HRESULT hr = Ready(true);
        *started = hr == S_OK;
        return hr == RECORDING_E_STARTING ? S_OK : hr;
    });
}

HRESULT RecordingEngine::GetPreferredDevice(BSTR* text) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!text) return E_POINTER;
        *text = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        *text = NewBstr(device ? std::wstring(1, static_cast<wchar_t>(device->Drive()->Letter())) + L":" : L"");
        return S_OK;
    });
}

HRESULT RecordingEngine::SetPreferredDevice(BSTR driveLetter) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        LONG index = -1;
        if (HRESULT hr = FindDevice(driveLetter, &index)) return hr;
        if (!session_.Idle()) return RECORDING_E_ACTIVE;
        std::lock_guard lock(mutex_);
        recordingDevice_ = static_cast<std::size_t>(index);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetApplicationName(BSTR* name) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        std::lock_guard lock(mutex_);
        *name = NewBstr(appName_);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetApplicationId(GUID* id) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!id) return E_POINTER;
        if (HRESULT hr = Ready(false)) return hr;
        std::lock_guard lock(mutex_);
        *id = appId_;
        return S_OK;
    });
}

HRESULT RecordingEngine::RefreshDevices() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        CheckDevices(true);
        return S_OK;
    });
}

HRESULT RecordingEngine::Initialize(GUID applicationId, BSTR clientName, LONG /*flags*/) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (IsEqualGUID(applicationId, GUID_NULL)) return E_INVALIDARG;
        {
            std::lock_guard lock(mutex_); // real recorders are taken in the client's name
            if (!running_) appName_ = BstrText(clientName);
        }
        if (HRESULT hr = Start()) return hr;
        std::lock_guard lock(mutex_);
        appId_ = applicationId;
        appName_ = BstrText(clientName);
        initialized_ = true;
        return S_OK;
    });
}

HRESULT RecordingEngine::Uninitialize() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!session_.Idle()) return RECORDING_E_ACTIVE;
        monitor_.Stop(); // before the lock: the monitor takes it
        std::vector<ComPtr<RecordingDevice>> devices;
        {
            std::lock_guard lock(mutex_);
            initialized_ = false;
            running_ = false;
            devices.swap(devices_);
        }
        return S_OK;
    });
}

// ---- IConnectionPointContainer

HRESULT RecordingEngine::EnumConnectionPoints(IEnumConnectionPoints** points) { return events_.EnumerateAsOnlyPoint(points); }

HRESULT RecordingEngine::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return events_.FindAsOnlyPoint(iid, point);
}

// ---- IRunnableObject

HRESULT RecordingEngine::GetRunningClass(LPCLSID clsid) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_RecordingEngine;
        return S_OK;
    });
}

HRESULT RecordingEngine::Run(LPBINDCTX) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT { return Start(); });
}

BOOL RecordingEngine::IsRunning() {
    std::lock_guard lock(mutex_);
    return running_;
}

HRESULT RecordingEngine::LockRunning(BOOL, BOOL) { return S_OK; }

HRESULT RecordingEngine::SetContainedObject(BOOL) { return S_OK; }
