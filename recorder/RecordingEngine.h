#pragma once
// RecordingEngine: the COM object of the engine class. Answers IRecordingEngine and
// IRecordingDisc (one object), the engine events' connection point and IRunnableObject.
// Starting (OleRun or Initialize) reads the drive file (EngineConfigFile) and creates one RecordingDevice per
// drive; a monitor thread then reports drive and disc changes as events. Lives in any
// apartment (ThreadingModel Both) and is safe to call from several threads: RecordTracks
// blocks its caller while Abort, GetProgress and the queries go on from others.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "engine/RecordingEngine.h"
#include "recorder/ConnectionPoint.h"
#include "recorder/EngineConfigFile.h"
#include "recorder/MonitorThread.h"
#include "recorder/RecordingDevice.h"
#include "recorder/RecordingSession.h"

class RecordingEngine final : public IRecordingEngine,
                              public IRecordingDisc,
                              public IConnectionPointContainer,
                              public IRunnableObject,
                              private RecordingSession::Events {
public:
    static constexpr LONG kVersion = 0x00010002; // 1.1: CD-Text methods; 1.2: albums

    static HRESULT Create(REFIID iid, void** out);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IRecordingEngine
    HRESULT STDMETHODCALLTYPE GetEngineName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetEngineVersion(LONG* version) override;
    HRESULT STDMETHODCALLTYPE GetConfigurationPath(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE SetConfigurationPath(BSTR path) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetDevice(LONG index, IRecordingDevice** device) override;
    HRESULT STDMETHODCALLTYPE FindDevice(BSTR driveLetter, LONG* index) override;
    HRESULT STDMETHODCALLTYPE IsFileSupported(BSTR path, BYTE* supported) override;
    HRESULT STDMETHODCALLTYPE IsFileTypeReadable(BSTR path, BYTE* readable) override;
    HRESULT STDMETHODCALLTYPE GetAudioFileFrames(BSTR path, LONG* frames) override;
    HRESULT STDMETHODCALLTYPE GetSupportedFileTypes(BSTR* extensions) override;
    HRESULT STDMETHODCALLTYPE GetDisc(IRecordingDisc** disc) override;
    HRESULT STDMETHODCALLTYPE GetErrorCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetError(LONG index, HRESULT* code, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE ClearErrors() override;
    HRESULT STDMETHODCALLTYPE GetErrorText(HRESULT code, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LONG* statusWord) override;
    HRESULT STDMETHODCALLTYPE IsStarted(BYTE* started) override;
    HRESULT STDMETHODCALLTYPE GetPreferredDevice(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetPreferredDevice(BSTR driveLetter) override;
    HRESULT STDMETHODCALLTYPE GetApplicationName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetApplicationId(GUID* id) override;
    HRESULT STDMETHODCALLTYPE RefreshDevices() override;
    HRESULT STDMETHODCALLTYPE Reserved26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved28() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID applicationId, BSTR clientName, LONG flags) override;
    HRESULT STDMETHODCALLTYPE Uninitialize() override;

    // IRecordingDisc
    HRESULT STDMETHODCALLTYPE GetCDCreationParams(BSTR* deviceId, LONG* options, LONG* speedMask, LONG* pauseFrames,
                                                  LONG* reserved, BYTE* optionValue) override;
    HRESULT STDMETHODCALLTYPE SetCDCreationParams(BSTR deviceId, LONG options, LONG speedMask, LONG pauseFrames,
                                                  LONG reserved, LONG selectDevice, BYTE optionValue) override;
    HRESULT STDMETHODCALLTYPE ClearLayout() override;
    HRESULT STDMETHODCALLTYPE AddFile(BSTR path, LONG* trackIndex) override;
    HRESULT STDMETHODCALLTYPE GetTrackCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetTrackFile(LONG trackIndex, BSTR* path) override;
    HRESULT STDMETHODCALLTYPE GetTrackFrames(LONG trackIndex, LONG* frames) override;
    HRESULT STDMETHODCALLTYPE RemoveTrack(LONG trackIndex) override;
    HRESULT STDMETHODCALLTYPE GetSpaceNeeded(LONG* frames) override;
    HRESULT STDMETHODCALLTYPE Prepare(LONG mode) override;
    HRESULT STDMETHODCALLTYPE RecordTracks(ULONG firstTrack, ULONG lastTrack, LONG options) override;
    HRESULT STDMETHODCALLTYPE CloseDisc(LONG options) override;
    HRESULT STDMETHODCALLTYPE Abort() override;
    HRESULT STDMETHODCALLTYPE GetProgress(LONG* statusWord, LONG* trackIndex, LONG* trackDone, LONG* trackTotal,
                                          LONG* overallDone, LONG* overallTotal, LONG* bufferPercent) override;
    HRESULT STDMETHODCALLTYPE GetImagePath(BSTR* cuePath) override;
    HRESULT STDMETHODCALLTYPE SetTrackText(LONG trackIndex, BSTR title, BSTR performer) override;
    HRESULT STDMETHODCALLTYPE SetDiscText(BSTR title, BSTR performer) override;
    HRESULT STDMETHODCALLTYPE AddFileRange(BSTR path, LONG startFrame, LONG frames, LONG* trackIndex) override;
    HRESULT STDMETHODCALLTYPE AddTrackPart(LONG trackIndex, LONG area, BSTR path, LONG startFrame, LONG frames) override;
    HRESULT STDMETHODCALLTYPE SetTrackCodes(LONG trackIndex, BSTR isrc, LONG flags) override;
    HRESULT STDMETHODCALLTYPE SetDiscCatalog(BSTR catalog) override;
    HRESULT STDMETHODCALLTYPE SetSongwriter(LONG trackIndex, BSTR songwriter) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IRunnableObject
    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID clsid) override;
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX context) override;
    BOOL STDMETHODCALLTYPE IsRunning() override;
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL lastUnlockCloses) override;
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL contained) override;

private:
    using Clock = std::chrono::steady_clock;

    RecordingEngine();
    ~RecordingEngine();

    // RecordingSession::Events
    void OnStatusChange(std::uint32_t status) override;
    void OnProgress(const RecordingSession::Progress& progress) override;
    void OnTrackStart(int track) override;
    void OnTrackEnd(int track, std::int32_t result) override;
    void OnError(std::int32_t code, const std::string& text) override;
    bool QueryCancel() override;
    void OnNewRecording() override;
    void OnDiscChanged(Drive& drive) override;

    HRESULT Start();
    void CheckDevices(bool reload);
    HRESULT Ready(bool needStarted) const; // NOT_INITIALIZED, STARTING or S_OK
    ComPtr<RecordingDevice> RecordingDeviceObject() const;
    void AddError(std::int32_t code, const std::string& text);
    template <class Call>
    void Fire(Call call) {
        for (const ComPtr<IRecordingEngineEvents>& sink : events_.Sinks()) call(sink.get());
    }

    std::atomic<ULONG> refs_{1};
    mutable std::mutex mutex_; // the fields up to errors_
    bool running_ = false;
    bool initialized_ = false;
    std::wstring explicitConfig_;
    EngineConfigFile configFile_;
    Clock::time_point startingUntil_{};
    std::vector<ComPtr<RecordingDevice>> devices_;
    std::size_t recordingDevice_ = 0;
    std::wstring appName_;
    GUID appId_{};
    mutable std::mutex errorsMutex_;
    std::vector<std::pair<std::int32_t, std::wstring>> errors_;
    ConnectionPoint<IRecordingEngineEvents> events_;
    RecordingSession session_;
    MonitorThread monitor_;
};
