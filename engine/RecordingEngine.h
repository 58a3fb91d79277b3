#pragma once
// COM interfaces of the recording engine, included by the engine (recorder/) and by the
// program's engine client. Methods are numbered from 0 with the three IUnknown methods, so
// the first method listed for an interface is method 3. The numbers are part of the binary
// contract: never reorder, insert or remove a method; new methods go at the end.
// Booleans are BYTE values (0 or 1); texts are BSTRs that the caller frees.
// Result codes, status bits, option bits and the media records: engine/RecordingEngineTypes.h.
#include <objbase.h>
#include <ocidl.h>

#include "engine/RecordingEngineTypes.h"

// {29700ab2-db33-11d3-ade4-00009296f7ef}: the engine's class (in-process server).
inline constexpr CLSID CLSID_RecordingEngine = {
    0x29700ab2, 0xdb33, 0x11d3, {0xad, 0xe4, 0x00, 0x00, 0x92, 0x96, 0xf7, 0xef}};
// {d0e252a1-45d9-11d4-b45d-0020e06221f4}: the identity Fennel passes to Initialize.
inline constexpr GUID FENNEL_APPLICATION_ID = {
    0xd0e252a1, 0x45d9, 0x11d4, {0xb4, 0x5d, 0x00, 0x20, 0xe0, 0x62, 0x21, 0xf4}};

struct IRecordingDisc;
struct IRecordingDevice;

// COM interfaces have no virtual destructor by design: objects die through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IRecordingEngine {34679f60-47a1-11d4-b45d-0020e06221f4}: the engine's main interface.
// Also answers IConnectionPointContainer (IRecordingEngineEvents), IRunnableObject and
// IRecordingDisc. Before Initialize the device, file, layout and recording methods answer
// RECORDING_E_NOT_INITIALIZED; the name, version, configuration path, status and the error
// list (which tells why starting failed) answer at any time.
struct IRecordingEngine : public IUnknown {
    /*  3 */ virtual HRESULT STDMETHODCALLTYPE GetEngineName(BSTR* name) = 0;
    /*  4 */ virtual HRESULT STDMETHODCALLTYPE GetEngineVersion(LONG* version) = 0; // 0xMMMMmmmm
    /*  5 */ virtual HRESULT STDMETHODCALLTYPE GetConfigurationPath(BSTR* path) = 0; // drive file in use
    /*  6 */ virtual HRESULT STDMETHODCALLTYPE SetConfigurationPath(BSTR path) = 0; // before Initialize only
    /*  7 */ virtual HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) = 0; // RECORDING_E_STARTING while starting
    /*  8 */ virtual HRESULT STDMETHODCALLTYPE GetDevice(LONG index, IRecordingDevice** device) = 0;
    /*  9 */ virtual HRESULT STDMETHODCALLTYPE FindDevice(BSTR driveLetter, LONG* index) = 0;
    /* 10 */ virtual HRESULT STDMETHODCALLTYPE IsFileSupported(BSTR path, BYTE* supported) = 0; // known audio type
    /* 11 */ virtual HRESULT STDMETHODCALLTYPE IsFileTypeReadable(BSTR path, BYTE* readable) = 0; // decodable here
    /* 12 */ virtual HRESULT STDMETHODCALLTYPE GetAudioFileFrames(BSTR path, LONG* frames) = 0; // unpadded length
    /* 13 */ virtual HRESULT STDMETHODCALLTYPE GetSupportedFileTypes(BSTR* extensions) = 0; // "WAV;WAVE"
    /* 14 */ virtual HRESULT STDMETHODCALLTYPE GetDisc(IRecordingDisc** disc) = 0;
    /* 15 */ virtual HRESULT STDMETHODCALLTYPE GetErrorCount(LONG* count) = 0; // errors of the last operations
    /* 16 */ virtual HRESULT STDMETHODCALLTYPE GetError(LONG index, HRESULT* code, BSTR* text) = 0;
    /* 17 */ virtual HRESULT STDMETHODCALLTYPE ClearErrors() = 0;
    /* 18 */ virtual HRESULT STDMETHODCALLTYPE GetErrorText(HRESULT code, BSTR* text) = 0; // the engine's text
    /* 19 */ virtual HRESULT STDMETHODCALLTYPE GetStatus(LONG* statusWord) = 0; // RECORDING_STATUS_* bits
    /* 20 */ virtual HRESULT STDMETHODCALLTYPE IsStarted(BYTE* started) = 0; // false while starting
    /* 21 */ virtual HRESULT STDMETHODCALLTYPE GetPreferredDevice(BSTR* text) = 0; // "R:" (drive letter first)
    /* 22 */ virtual HRESULT STDMETHODCALLTYPE SetPreferredDevice(BSTR driveLetter) = 0; // this engine object only
    /* 23 */ virtual HRESULT STDMETHODCALLTYPE GetApplicationName(BSTR* name) = 0; // as given to Initialize
    /* 24 */ virtual HRESULT STDMETHODCALLTYPE GetApplicationId(GUID* id) = 0; // as given to Initialize
    /* 25 */ virtual HRESULT STDMETHODCALLTYPE RefreshDevices() = 0; // re-read the drive file's disc settings
    /* 26 */ virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0; // E_NOTIMPL
    /* 27 */ virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0; // E_NOTIMPL
    /* 28 */ virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0; // E_NOTIMPL
    /* 29 */ virtual HRESULT STDMETHODCALLTYPE Initialize(GUID applicationId, BSTR clientName,
                                                         LONG flags) = 0; // starts the engine; flags kept
    /* 30 */ virtual HRESULT STDMETHODCALLTYPE Uninitialize() = 0; // aborts work, drops devices
};

// IRecordingDisc {106b52ba-bb66-40ed-8e1c-8d34551e7558}: the disc layout and the recording.
// Obtained from IRecordingEngine::GetDisc; shares the engine object's state and error list.
// A recording: Prepare, RecordTracks (blocks until written), CloseDisc; Abort from any thread.
struct IRecordingDisc : public IUnknown {
    /*  3 */ virtual HRESULT STDMETHODCALLTYPE GetCDCreationParams(BSTR* deviceId, LONG* options, LONG* speedMask,
                                                                  LONG* pauseFrames, LONG* reserved,
                                                                  BYTE* optionValue) = 0; // STARTING while starting
    /*  4 */ virtual HRESULT STDMETHODCALLTYPE SetCDCreationParams(BSTR deviceId, LONG options, LONG speedMask,
                                                                  LONG pauseFrames, LONG reserved, LONG selectDevice,
                                                                  BYTE optionValue) = 0; // selectDevice != 0: record there
    /*  5 */ virtual HRESULT STDMETHODCALLTYPE ClearLayout() = 0;
    /*  6 */ virtual HRESULT STDMETHODCALLTYPE AddFile(BSTR path, LONG* trackIndex) = 0; // index from 0
    /*  7 */ virtual HRESULT STDMETHODCALLTYPE GetTrackCount(LONG* count) = 0;
    /*  8 */ virtual HRESULT STDMETHODCALLTYPE GetTrackFile(LONG trackIndex, BSTR* path) = 0;
    /*  9 */ virtual HRESULT STDMETHODCALLTYPE GetTrackFrames(LONG trackIndex, LONG* frames) = 0; // padded length
    /* 10 */ virtual HRESULT STDMETHODCALLTYPE RemoveTrack(LONG trackIndex) = 0; // later tracks move down
    /* 11 */ virtual HRESULT STDMETHODCALLTYPE GetSpaceNeeded(LONG* frames) = 0; // layout with pregaps and pauses
    /* 12 */ virtual HRESULT STDMETHODCALLTYPE Prepare(LONG mode) = 0; // RECORDING_PREPARE_AUDIO
    /* 13 */ virtual HRESULT STDMETHODCALLTYPE RecordTracks(ULONG firstTrack, ULONG lastTrack, LONG options) = 0;
    /* 14 */ virtual HRESULT STDMETHODCALLTYPE CloseDisc(LONG options) = 0; // RECORDING_CLOSE_FINALIZE
    /* 15 */ virtual HRESULT STDMETHODCALLTYPE Abort() = 0; // stops RecordTracks with RECORDING_E_CANCELLED
    /* 16 */ virtual HRESULT STDMETHODCALLTYPE GetProgress(LONG* statusWord, LONG* trackIndex, LONG* trackDone,
                                                          LONG* trackTotal, LONG* overallDone, LONG* overallTotal,
                                                          LONG* bufferPercent) = 0; // counts in frames
    /* 17 */ virtual HRESULT STDMETHODCALLTYPE GetImagePath(BSTR* cuePath) = 0; // cue sheet of the last recording
    // CD-Text. A track's title and performer default to the file's own tags (a WAV file's
    // LIST/INFO chunk: INAM, IART), the title to the file name when untagged; the disc's to the
    // tags of its first tagged track (IPRD for the title). Texts given here take precedence;
    // a null or empty BSTR keeps the default. ClearLayout forgets them.
    /* 18 */ virtual HRESULT STDMETHODCALLTYPE SetTrackText(LONG trackIndex, BSTR title, BSTR performer) = 0;
    /* 19 */ virtual HRESULT STDMETHODCALLTYPE SetDiscText(BSTR title, BSTR performer) = 0;
    // Albums (engine version 1.2): tracks of file ranges with gaps of their own, as a CUE sheet
    // lays them out, written disc-at-once or session-at-once (track-at-once refuses them at
    // Prepare). Positions and lengths in CD frames; RECORDING_FRAMES_TO_END runs to the end.
    // A track of a range of a file.
    /* 20 */ virtual HRESULT STDMETHODCALLTYPE AddFileRange(BSTR path, LONG startFrame, LONG frames,
                                                           LONG* trackIndex) = 0;
    // Appends a range of a file, or (null path) frames of silence, to a track's audio or to its
    // own pregap (RECORDING_PART_AUDIO, RECORDING_PART_PREGAP; a pregap part of 0 frames gives
    // the track a pregap of its own that is empty).
    /* 21 */ virtual HRESULT STDMETHODCALLTYPE AddTrackPart(LONG trackIndex, LONG area, BSTR path, LONG startFrame,
                                                           LONG frames) = 0;
    // ISRC (12 characters, or empty) and RECORDING_TRACK_* flags.
    /* 22 */ virtual HRESULT STDMETHODCALLTYPE SetTrackCodes(LONG trackIndex, BSTR isrc, LONG flags) = 0;
    // The disc's media catalog number (13 digits, or empty).
    /* 23 */ virtual HRESULT STDMETHODCALLTYPE SetDiscCatalog(BSTR catalog) = 0;
    // A track's songwriter, or the disc's (trackIndex -1).
    /* 24 */ virtual HRESULT STDMETHODCALLTYPE SetSongwriter(LONG trackIndex, BSTR songwriter) = 0;
};

// IRecordingDevice {45d921cc-8614-4b75-9223-81d835fe30af}: one recording drive.
// Also answers IConnectionPointContainer (IRecordingDeviceEvents).
struct IRecordingDevice : public IUnknown {
    /*  3 */ virtual HRESULT STDMETHODCALLTYPE GetIdentity(BSTR* id) = 0; // for SetCDCreationParams
    /*  4 */ virtual HRESULT STDMETHODCALLTYPE GetName(WCHAR* driveLetter, BSTR* displayName) = 0;
    /*  5 */ virtual HRESULT STDMETHODCALLTYPE GetCapabilities(LONG* mediaAbilities, LONG* writeFeatures) = 0;
    /*  6 */ virtual HRESULT STDMETHODCALLTYPE GetSpeedMasks(LONG* readMask, LONG* writeMask,
                                                            LONG* rewriteMask) = 0; // CD-R, CD-RW write masks
    /*  7 */ virtual HRESULT STDMETHODCALLTYPE IsMediaPresent(BYTE* present) = 0;
    /*  8 */ virtual HRESULT STDMETHODCALLTYPE IsReady(BYTE* ready) = 0;
    /*  9 */ virtual HRESULT STDMETHODCALLTYPE GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details,
                                                           RecordingMediaFlags* flags,
                                                           RecordingMediaCapacity* capacity) = 0; // any may be null
    /* 10 */ virtual HRESULT STDMETHODCALLTYPE BeginExclusiveUse() = 0; // RECORDING_E_DEVICE_BUSY when taken
    /* 11 */ virtual HRESULT STDMETHODCALLTYPE EndExclusiveUse() = 0;
    /* 12 */ virtual HRESULT STDMETHODCALLTYPE CanEraseMedia(BYTE* erasable) = 0; // a CD-RW is loaded
    /* 13 */ virtual HRESULT STDMETHODCALLTYPE IsReadyForErase(BYTE* ready) = 0; // ready and not in use
    /* 14 */ virtual HRESULT STDMETHODCALLTYPE Erase(LONG options) = 0; // RECORDING_ERASE_FULL, _ASYNC
    /* 15 */ virtual HRESULT STDMETHODCALLTYPE GetEraseProgress(BYTE* done, LONG* doneCount, LONG* totalCount) = 0;
    /* 16 */ virtual HRESULT STDMETHODCALLTYPE GetImageFolder(BSTR* folder) = 0;
};

// IRecordingEngineEvents {8a828163-db33-11d3-ade4-00009296f7ef}: outgoing, implemented by a
// client and connected through the engine's connection point. Called on the thread that
// records or on the engine's own threads; return values are ignored except QueryCancel's.
struct IRecordingEngineEvents : public IUnknown {
    /* 3 */ virtual HRESULT STDMETHODCALLTYPE OnMediaChange(LONG mediaPresent) = 0; // recording device's disc
    /* 4 */ virtual HRESULT STDMETHODCALLTYPE OnStatusChange(LONG statusWord) = 0;
    /* 5 */ virtual HRESULT STDMETHODCALLTYPE OnProgress(LONG trackDone, LONG trackTotal, LONG overallDone,
                                                        LONG overallTotal) = 0; // frames
    /* 6 */ virtual HRESULT STDMETHODCALLTYPE OnTrackStart(LONG trackIndex) = 0;
    /* 7 */ virtual HRESULT STDMETHODCALLTYPE OnTrackEnd(LONG trackIndex, LONG result) = 0;
    /* 8 */ virtual HRESULT STDMETHODCALLTYPE OnError(LONG code) = 0; // also added to the error list
    /* 9 */ virtual HRESULT STDMETHODCALLTYPE QueryCancel(BYTE* cancel) = 0; // asked after every written chunk
};

// IRecordingDeviceEvents {24365844-db34-11d3-ade4-00009296f7ef}: outgoing, connected through
// a device's connection point. Every method takes one 32-bit value.
struct IRecordingDeviceEvents : public IUnknown {
    /*  3 */ virtual HRESULT STDMETHODCALLTYPE OnReadyChange(LONG ready) = 0;
    /*  4 */ virtual HRESULT STDMETHODCALLTYPE OnExclusiveUseChange(LONG inUse) = 0;
    /*  5 */ virtual HRESULT STDMETHODCALLTYPE OnWriteSpeedChange(LONG speedMask) = 0;
    /*  6 */ virtual HRESULT STDMETHODCALLTYPE OnEraseProgress(LONG percent) = 0;
    /*  7 */ virtual HRESULT STDMETHODCALLTYPE OnStatus(LONG status) = 0; // result of a device operation
    /*  8 */ virtual HRESULT STDMETHODCALLTYPE OnEraseStart(LONG options) = 0;
    /*  9 */ virtual HRESULT STDMETHODCALLTYPE OnEraseEnd(LONG result) = 0;
    /* 10 */ virtual HRESULT STDMETHODCALLTYPE OnMediaChange(LONG mediaPresent) = 0; // disc or its content
    /* 11 */ virtual HRESULT STDMETHODCALLTYPE OnTrackCountChange(LONG trackCount) = 0;
};

#pragma GCC diagnostic pop

__CRT_UUID_DECL(IRecordingEngine, 0x34679f60, 0x47a1, 0x11d4, 0xb4, 0x5d, 0x00, 0x20, 0xe0, 0x62, 0x21, 0xf4)
__CRT_UUID_DECL(IRecordingDisc, 0x106b52ba, 0xbb66, 0x40ed, 0x8e, 0x1c, 0x8d, 0x34, 0x55, 0x1e, 0x75, 0x58)
__CRT_UUID_DECL(IRecordingDevice, 0x45d921cc, 0x8614, 0x4b75, 0x92, 0x23, 0x81, 0xd8, 0x35, 0xfe, 0x30, 0xaf)
__CRT_UUID_DECL(IRecordingEngineEvents, 0x8a828163, 0xdb33, 0x11d3, 0xad, 0xe4, 0x00, 0x00, 0x92, 0x96, 0xf7, 0xef)
__CRT_UUID_DECL(IRecordingDeviceEvents, 0x24365844, 0xdb34, 0x11d3, 0xad, 0xe4, 0x00, 0x00, 0x92, 0x96, 0xf7, 0xef)

inline constexpr IID IID_IRecordingEngine = {
    0x34679f60, 0x47a1, 0x11d4, {0xb4, 0x5d, 0x00, 0x20, 0xe0, 0x62, 0x21, 0xf4}};
inline constexpr IID IID_IRecordingDisc = {
    0x106b52ba, 0xbb66, 0x40ed, {0x8e, 0x1c, 0x8d, 0x34, 0x55, 0x1e, 0x75, 0x58}};
inline constexpr IID IID_IRecordingDevice = {
    0x45d921cc, 0x8614, 0x4b75, {0x92, 0x23, 0x81, 0xd8, 0x35, 0xfe, 0x30, 0xaf}};
inline constexpr IID IID_IRecordingEngineEvents = {
    0x8a828163, 0xdb33, 0x11d3, {0xad, 0xe4, 0x00, 0x00, 0x92, 0x96, 0xf7, 0xef}};
inline constexpr IID IID_IRecordingDeviceEvents = {
    0x24365844, 0xdb34, 0x11d3, {0xad, 0xe4, 0x00, 0x00, 0x92, 0x96, 0xf7, 0xef}};
