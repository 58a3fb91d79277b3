#include "recorder/RecordingEngine.h"

#include <algorithm>
#include <cwctype>

#include "recorder/AudioFiles.h"
#include "recorder/ComGuard.h"
#include "recorder/ConnectionPointEnumerator.h"
#include "recorder/ErrorTexts.h"
#include "recorder/RecorderModule.h"
#include "recorder/WinText.h"

namespace {

constexpr auto kMonitorPeriod = std::chrono::milliseconds(500);

std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

} // namespace

HRESULT RecordingEngine::Create(REFIID iid, void** out) {
    return Guarded([&]() -> HRESULT {
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
    startingUntil_ = now + std::chrono::milliseconds(startupMs);
    recordingDevice_ = 0;
    for (std::size_t i = 0; i < config.drives.size(); ++i) {
        const DriveConfig& drive = config.drives[i];
        if (config.preferredDrive ? drive.letter == config.preferredDrive : drive.writeFeatures != 0) {
            recordingDevice_ = i;
            break;
        }
    }
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
                    if (const DriveConfig* drive = config.Find(device->Drive()->Letter()))
                        device->Drive()->UpdateConfig(*drive, configFile_.ImageFolder(*drive));
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

template <class Call>
void RecordingEngine::Fire(Call call) {
    for (const ComPtr<IRecordingEngineEvents>& sink : events_.Sinks()) call(sink.get());
}

void RecordingEngine::AddError(std::int32_t code, const std::string& text) {
    std::lock_guard lock(errorsMutex_);
    errors_.emplace_back(code, WinText::Wide(text));
}

// ---- IRecordingEngine

HRESULT RecordingEngine::GetEngineName(BSTR* name) {
    return Guarded([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = NewBstr(L"Recording engine with virtual drives");
        return S_OK;
    });
}

HRESULT RecordingEngine::GetEngineVersion(LONG* version) {
    return Guarded([&]() -> HRESULT {
        if (!version) return E_POINTER;
        *version = kVersion;
        return S_OK;
    });
}

HRESULT RecordingEngine::GetConfigurationPath(BSTR* path) {
    return Guarded([&]() -> HRESULT {
        if (!path) return E_POINTER;
        std::lock_guard lock(mutex_);
        *path = NewBstr(running_ ? configFile_.Path() : EngineConfigFile::Locate(explicitConfig_).Path());
        return S_OK;
    });
}

HRESULT RecordingEngine::SetConfigurationPath(BSTR path) {
    return Guarded([&]() -> HRESULT {
        std::lock_guard lock(mutex_);
        if (running_) return E_UNEXPECTED;
        explicitConfig_ = Text(path);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDeviceCount(LONG* count) {
    return Guarded([&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = 0;
        if (HRESULT hr = Ready(true)) return hr;
        std::lock_guard lock(mutex_);
        *count = static_cast<LONG>(devices_.size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDevice(LONG index, IRecordingDevice** device) {
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
        if (!index) return E_POINTER;
        *index = -1;
        if (HRESULT hr = Ready(true)) return hr;
        std::wstring letter = Text(driveLetter);
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
    return Guarded([&]() -> HRESULT {
        if (!supported) return E_POINTER;
        *supported = 0;
        if (HRESULT hr = Ready(false)) return hr;
        if (Text(path).empty()) return E_INVALIDARG;
        *supported = AudioFiles::KnownType(Text(path));
        return S_OK;
    });
}

HRESULT RecordingEngine::IsFileTypeReadable(BSTR path, BYTE* readable) {
    return Guarded([&]() -> HRESULT {
        if (!readable) return E_POINTER;
        *readable = 0;
        if (HRESULT hr = Ready(false)) return hr;
        if (Text(path).empty()) return E_INVALIDARG;
        try {
            AudioFiles::Probe(Text(path));
            *readable = 1;
        } catch (const EngineFailure&) {
            *readable = 0;
        }
        return S_OK;
    });
}

HRESULT RecordingEngine::GetAudioFileFrames(BSTR path, LONG* frames) {
    return Guarded([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = 0;
        if (HRESULT hr = Ready(false)) return hr;
        std::uint64_t count = RedBook::FramesForBytes(AudioFiles::Open(Text(path))->OutputBytes());
        *frames = static_cast<LONG>(std::min<std::uint64_t>(count, 0x7FFFFFFF));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetSupportedFileTypes(BSTR* extensions) {
    return Guarded([&]() -> HRESULT {
        if (!extensions) return E_POINTER;
        *extensions = NewBstr(WinText::Wide(AudioFiles::kReadableTypes));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetDisc(IRecordingDisc** disc) {
    return Guarded([&]() -> HRESULT {
        if (!disc) return E_POINTER;
        *disc = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        *disc = static_cast<IRecordingDisc*>(this);
        AddRef();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetErrorCount(LONG* count) {
    return Guarded([&]() -> HRESULT {
        if (!count) return E_POINTER;
        std::lock_guard lock(errorsMutex_);
        *count = static_cast<LONG>(errors_.size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetError(LONG index, HRESULT* code, BSTR* text) {
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
        std::lock_guard lock(errorsMutex_);
        errors_.clear();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetErrorText(HRESULT code, BSTR* text) {
    return Guarded([&]() -> HRESULT {
        if (!text) return E_POINTER;
        *text = NewBstr(WinText::Wide(ErrorTexts::Describe(code)));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetStatus(LONG* statusWord) {
    return Guarded([&]() -> HRESULT {
        if (!statusWord) return E_POINTER;
        std::uint32_t status = session_.GetProgress().status;
        std::lock_guard lock(mutex_);
        for (const ComPtr<RecordingDevice>& device : devices_)
            if (device->Drive()->CurrentActivity() == VirtualDrive::Activity::Erasing) status |= RECORDING_STATUS_ERASING;
        *statusWord = static_cast<LONG>(status);
        return S_OK;
    });
}

HRESULT RecordingEngine::IsStarted(BYTE* started) {
    return Guarded([&]() -> HRESULT {
        if (!started) return E_POINTER;
        HRESULT hr = Ready(true);
        *started = hr == S_OK;
        return hr == RECORDING_E_STARTING ? S_OK : hr;
    });
}

HRESULT RecordingEngine::GetPreferredDevice(BSTR* text) {
    return Guarded([&]() -> HRESULT {
        if (!text) return E_POINTER;
        *text = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        *text = NewBstr(device ? std::wstring(1, static_cast<wchar_t>(device->Drive()->Letter())) + L":" : L"");
        return S_OK;
    });
}

HRESULT RecordingEngine::SetPreferredDevice(BSTR driveLetter) {
    return Guarded([&]() -> HRESULT {
        LONG index = -1;
        if (HRESULT hr = FindDevice(driveLetter, &index)) return hr;
        if (!session_.Idle()) return RECORDING_E_ACTIVE;
        std::lock_guard lock(mutex_);
        recordingDevice_ = static_cast<std::size_t>(index);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetApplicationName(BSTR* name) {
    return Guarded([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (HRESULT hr = Ready(false)) return hr;
        std::lock_guard lock(mutex_);
        *name = NewBstr(appName_);
        return S_OK;
    });
}

HRESULT RecordingEngine::GetApplicationId(GUID* id) {
    return Guarded([&]() -> HRESULT {
        if (!id) return E_POINTER;
        if (HRESULT hr = Ready(false)) return hr;
        std::lock_guard lock(mutex_);
        *id = appId_;
        return S_OK;
    });
}

HRESULT RecordingEngine::RefreshDevices() {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        CheckDevices(true);
        return S_OK;
    });
}

HRESULT RecordingEngine::Initialize(GUID applicationId, BSTR clientName, LONG /*flags*/) {
    return Guarded([&]() -> HRESULT {
        if (IsEqualGUID(applicationId, GUID_NULL)) return E_INVALIDARG;
        if (HRESULT hr = Start()) return hr;
        std::lock_guard lock(mutex_);
        appId_ = applicationId;
        appName_ = Text(clientName);
        initialized_ = true;
        return S_OK;
    });
}

HRESULT RecordingEngine::Uninitialize() {
    return Guarded([&]() -> HRESULT {
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

// ---- IRecordingDisc

HRESULT RecordingEngine::GetCDCreationParams(BSTR* deviceId, LONG* options, LONG* speedMask, LONG* pauseFrames,
                                             LONG* reserved, BYTE* optionValue) {
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (speedMask == 0 || pauseFrames < 0) return E_INVALIDARG;
        std::size_t selected;
        {
            std::lock_guard lock(mutex_);
            selected = recordingDevice_;
            std::wstring id = Text(deviceId);
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
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        session_.ClearLayout();
        return S_OK;
    });
}

HRESULT RecordingEngine::AddFile(BSTR path, LONG* trackIndex) {
    return Guarded([&]() -> HRESULT {
        if (!trackIndex) return E_POINTER;
        *trackIndex = -1;
        if (HRESULT hr = Ready(false)) return hr;
        if (Text(path).empty()) return E_INVALIDARG;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        *trackIndex = static_cast<LONG>(session_.AddFile(Text(path), device ? device->Drive().get() : nullptr));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetTrackCount(LONG* count) {
    return Guarded([&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = 0;
        if (HRESULT hr = Ready(false)) return hr;
        *count = static_cast<LONG>(session_.Layout().size());
        return S_OK;
    });
}

HRESULT RecordingEngine::GetTrackFile(LONG trackIndex, BSTR* path) {
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0) return E_INVALIDARG;
        session_.RemoveTrack(static_cast<std::size_t>(trackIndex));
        return S_OK;
    });
}

HRESULT RecordingEngine::GetSpaceNeeded(LONG* frames) {
    return Guarded([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = 0;
        if (HRESULT hr = Ready(false)) return hr;
        *frames = static_cast<LONG>(session_.SpaceNeeded());
        return S_OK;
    });
}

HRESULT RecordingEngine::Prepare(LONG mode) {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (mode != RECORDING_PREPARE_AUDIO) return E_INVALIDARG;
        ComPtr<RecordingDevice> device = RecordingDeviceObject();
        return static_cast<HRESULT>(session_.Prepare(device ? device->Drive() : nullptr));
    });
}

HRESULT RecordingEngine::RecordTracks(ULONG firstTrack, ULONG lastTrack, LONG options) {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        return static_cast<HRESULT>(session_.Record(firstTrack, lastTrack, options & RECORDING_RECORD_WRITE));
    });
}

HRESULT RecordingEngine::CloseDisc(LONG options) {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        return Guarded([&]() -> HRESULT { return static_cast<HRESULT>(session_.Close(options & RECORDING_CLOSE_FINALIZE)); });
    });
}

HRESULT RecordingEngine::Abort() {
    return Guarded([&]() -> HRESULT {
        session_.Abort();
        return S_OK;
    });
}

HRESULT RecordingEngine::GetProgress(LONG* statusWord, LONG* trackIndex, LONG* trackDone, LONG* trackTotal,
                                     LONG* overallDone, LONG* overallTotal, LONG* bufferPercent) {
    return Guarded([&]() -> HRESULT {
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
    return Guarded([&]() -> HRESULT {
        if (!cuePath) return E_POINTER;
        *cuePath = NewBstr(session_.LastImage());
        return S_OK;
    });
}

HRESULT RecordingEngine::SetTrackText(LONG trackIndex, BSTR title, BSTR performer) {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        if (trackIndex < 0) return E_INVALIDARG;
        session_.SetTrackText(static_cast<std::size_t>(trackIndex),
                              {WinText::Utf8(Text(title)), WinText::Utf8(Text(performer))});
        return S_OK;
    });
}

HRESULT RecordingEngine::SetDiscText(BSTR title, BSTR performer) {
    return Guarded([&]() -> HRESULT {
        if (HRESULT hr = Ready(false)) return hr;
        session_.SetDiscText({WinText::Utf8(Text(title)), WinText::Utf8(Text(performer))});
        return S_OK;
    });
}

// ---- IConnectionPointContainer

HRESULT RecordingEngine::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return Guarded([&]() -> HRESULT { return ConnectionPointEnumerator::Create({ComPtr<IConnectionPoint>(&events_)}, points); });
}

HRESULT RecordingEngine::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return Guarded([&]() -> HRESULT {
        if (!point) return E_POINTER;
        if (!IsEqualIID(iid, IID_IRecordingEngineEvents)) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = &events_;
        events_.AddRef();
        return S_OK;
    });
}

// ---- IRunnableObject

HRESULT RecordingEngine::GetRunningClass(LPCLSID clsid) {
    return Guarded([&]() -> HRESULT {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_RecordingEngine;
        return S_OK;
    });
}

HRESULT RecordingEngine::Run(LPBINDCTX) {
    return Guarded([&]() -> HRESULT { return Start(); });
}

BOOL RecordingEngine::IsRunning() {
    std::lock_guard lock(mutex_);
    return running_;
}

HRESULT RecordingEngine::LockRunning(BOOL, BOOL) { return S_OK; }

HRESULT RecordingEngine::SetContainedObject(BOOL) { return S_OK; }

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

void RecordingEngine::OnDiscChanged(VirtualDrive& drive) {
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
