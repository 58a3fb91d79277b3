#pragma once
// EngineClient: the application's handle on the recording engine. Owns the EngineSession,
// the worker thread, the track list and the device handles it gave out; reports events to
// one registered BurnEventSink. Every operation answers a COM result (0 for success) and
// never throws; missing out-pointers give E_POINTER. Safe for two threads: the window's (or
// the main thread of a silent run), which makes the connection and records, and one that
// prepares the tracks or erases meanwhile; the track list and the device handles have
// their own locks, the sink is atomic. Its long waits keep the calling thread's messages
// flowing. Reference counted: created with one reference, destroyed by the last Release.
#include "engine/BurnEventSink.h"
#include "engine/DeviceHandle.h"
#include "engine/EngineClientCodes.h"
#include "engine/EngineSession.h"
#include "engine/EngineThread.h"
#include "engine/RecordingOptions.h"
#include "support/ComPtr.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EngineClient : public IUnknown {
public:
    EngineClient();
    EngineClient(const EngineClient&) = delete;
    EngineClient& operator=(const EngineClient&) = delete;

    // COM identity: nothing is answered through QueryInterface (E_NOTIMPL).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Creates the engine, passes the client's name and value, waits until it is ready
    // (at most 5000 ms) and chooses the current device.
    virtual HRESULT Initialize(const std::string& clientName, LONG value);
    virtual HRESULT SetEventSink(BurnEventSink* sink);
    virtual HRESULT GetDeviceCount(LONG* count);
    virtual HRESULT GetDevice(LONG index, DeviceHandle** device);
    virtual HRESULT SelectDevice(DeviceHandle* device);
    virtual HRESULT SelectDeviceByIndex(LONG index);
    virtual HRESULT SelectDeviceByLetter(char letter);
    virtual HRESULT GetCurrentDevice(DeviceHandle** device);
    virtual HRESULT GetCurrentDeviceIndex(LONG* index);
    virtual HRESULT GetCurrentDeviceLetter(char* letter);
    virtual HRESULT GetWriteSpeed(LONG* speed);
    // The fastest speed the application allows; E_ACCESSDENIED here.
    virtual HRESULT GetMaxWriteSpeed(LONG* speed);
    virtual HRESULT SetWriteSpeed(LONG speed);
    virtual HRESULT GetRecordingOptions(RecordingOptions* options);
    virtual HRESULT SetRecordingOptions(const RecordingOptions& options);
    // Turns the engine's levelled loudness (RECORDING_OPTION_LEVEL_LOUDNESS) on or off.
    virtual HRESULT SetLevelLoudness(bool level);
    // Paths and texts are in codePage: CP_ACP (the system's) or CP_UTF8.
    virtual HRESULT IsFileTypeReadable(const std::string& path, bool* readable, UINT codePage = CP_ACP);
    virtual HRESULT IsFileSupported(const std::string& path, bool* supported, UINT codePage = CP_ACP);
    // Also forgets the disc's and the tracks' texts.
    virtual HRESULT ClearTracks();
    // Adds a track at the end of the layout; index is the engine's track index (-1 when
    // refused). At most 99 tracks.
    virtual HRESULT AddTrack(const std::string& path, LONG* index, UINT codePage = CP_ACP);
    // CD-Text of an added track (by engine index) and of the disc; an empty text keeps the
    // engine's default. E_NOTIMPL from an engine older than kTextEngineVersion, which lacks
    // the methods.
    virtual HRESULT SetTrackText(LONG index, const std::string& title, const std::string& performer,
                                 UINT codePage = CP_ACP);
    virtual HRESULT SetDiscText(const std::string& title, const std::string& performer, UINT codePage = CP_ACP);
    // A part of an album track: a range of a file in CD frames (frames -1: to its end), or
    // (empty path) that many frames of silence; pregap: before the track's index 1.
    struct AlbumPart {
        std::string path;
        LONG startFrame = 0;
        LONG frames = -1;
        bool pregap = false;
    };
    // Adds an album track (a CUE sheet's) made of parts, with its ISRC, RECORDING_TRACK_*
    // flags and songwriter; path names the track as AddTrack's does. E_NOTIMPL from an engine
    // older than kAlbumEngineVersion.
    virtual HRESULT AddAlbumTrack(const std::string& path, const std::vector<AlbumPart>& parts, const std::string& isrc,
                                  LONG flags, const std::string& songwriter, LONG* index, UINT codePage = CP_ACP);
    virtual HRESULT SetAlbumCodes(const std::string& catalog, const std::string& songwriter, UINT codePage = CP_ACP);
    virtual HRESULT GetTrackCount(LONG* count);
    // The track list's second mode, which this client doesn't offer: fixes the mode when
    // unset and fails.
    virtual HRESULT AddSecondModeItem();
    // Records the track list: starts the worker and reports progress through the sink until
    // the recording is finished, cancelled or failed. S_FALSE when there are no tracks.
    virtual HRESULT Record();
    virtual HRESULT GetProgress(LONG* stage, LONG* track, LONG* trackDone, LONG* trackTotal, LONG* overallDone,
                                LONG* overallTotal, LONG* buffer);
    virtual HRESULT GetErrorCount(LONG* count);
    virtual HRESULT GetError(LONG index, HRESULT* code, std::string* text);
    virtual HRESULT ClearErrors();
    // Asks a running recording to stop and waits for the worker; answers the abort's result.
    virtual HRESULT Cancel();
    virtual HRESULT IsCancelled(bool* cancelled);
    virtual HRESULT IsFinished(bool* finished);

    // The first engine version with the CD-Text methods of the disc interface.
    static constexpr LONG kTextEngineVersion = 0x00010001;
    // The first with albums: file ranges, own gaps and codes.
    static constexpr LONG kAlbumEngineVersion = 0x00010002;

    // The client's record of an added track by engine index; null when out of range. Stays
    // valid until the track list is cleared.
    const TrackRecord* Track(LONG index) const;

protected:
    // Under tracksLock_: whether another track may be added now (fixes the track mode).
    HRESULT TrackAllowed();
    // The checks a track's file passes before the engine takes it: there, known, decodable.
    HRESULT CheckFile(const std::string& path, UINT codePage);

    virtual ~EngineClient();

    // Creates the engine object with context 0x17 and runs it. Tests put a fake engine here.
    virtual HRESULT CreateEngine(ComPtr<IUnknown>& engine);

    EngineSession* Session() const { return session_.get(); }
    BurnEventSink* Sink() const { return sink_.load(); }

private:
    enum class TrackMode { Unset, Tracks, Second };

    friend class RecordingProgressLoop; // reads the sink and the session while it polls
    // The one handle of the device, made on first request.
    HRESULT HandleFor(EngineDevice* device, DeviceHandle** out);
    // A yes/no question to the engine about a file; web addresses are never asked about.
    HRESULT AskAboutFile(const std::string& path, UINT codePage, bool* answer,
                         HRESULT (STDMETHODCALLTYPE IRecordingEngine::*query)(BSTR, BYTE*));
    // Whether the engine has the CD-Text methods; asked once per engine.
    bool EngineHasTexts();

    std::atomic<ULONG> refs_{1};
    ComPtr<EngineSession> session_;
    EngineThread thread_;
    std::atomic<BurnEventSink*> sink_{nullptr};
    mutable std::mutex tracksLock_; // tracks_ and mode_
    std::deque<TrackRecord> tracks_; // a deque: records stay where they are as tracks are added
    TrackMode mode_ = TrackMode::Unset;
    std::mutex handlesLock_;
    std::vector<std::unique_ptr<DeviceHandle>> handles_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> hasTexts_{-1}; // -1: not asked yet
};
#pragma GCC diagnostic pop

// Owning pointer of a client (one reference).
using EngineClientPtr = ComPtr<EngineClient>;
