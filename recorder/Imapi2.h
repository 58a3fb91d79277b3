#pragma once
// Windows' optical recording API (version 2), as far as the engine's real recorders use it:
// the recorder list, one recorder, the track-at-once, raw and erase writers, their event
// interfaces and progress records, the media types and the result codes. The toolchain ships
// no header for it, so the declarations are ours: the vtable order, the interface and class
// ids and the values are those of the published interface definition, and must never change.
// Booleans are VARIANT_BOOL; every text is a BSTR the caller frees.
#include <objbase.h>
#include <oaidl.h>
#include <ocidl.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

enum IMAPI_MEDIA_PHYSICAL_TYPE : LONG {
    IMAPI_MEDIA_TYPE_UNKNOWN = 0,
    IMAPI_MEDIA_TYPE_CDROM = 1,
    IMAPI_MEDIA_TYPE_CDR = 2,
    IMAPI_MEDIA_TYPE_CDRW = 3,
    IMAPI_MEDIA_TYPE_DVDROM = 4,
    IMAPI_MEDIA_TYPE_DISK = 12,
    IMAPI_MEDIA_TYPE_MAX = 19,
};

enum IMAPI_PROFILE_TYPE : LONG {
    IMAPI_PROFILE_TYPE_CDROM = 0x08,
    IMAPI_PROFILE_TYPE_CD_RECORDABLE = 0x09,
    IMAPI_PROFILE_TYPE_CD_REWRITABLE = 0x0A,
};

enum IMAPI_FORMAT2_TAO_WRITE_ACTION : LONG {
    IMAPI_FORMAT2_TAO_WRITE_ACTION_UNKNOWN = 0,
    IMAPI_FORMAT2_TAO_WRITE_ACTION_PREPARING = 1,
    IMAPI_FORMAT2_TAO_WRITE_ACTION_WRITING = 2,
    IMAPI_FORMAT2_TAO_WRITE_ACTION_FINISHING = 3,
    IMAPI_FORMAT2_TAO_WRITE_ACTION_VERIFYING = 4,
};

enum IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE : LONG {
    IMAPI_FORMAT2_RAW_CD_SUBCODE_PQ_ONLY = 1,
    IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_COOKED = 2,
    IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_RAW = 3,
};

enum IMAPI_FORMAT2_RAW_CD_WRITE_ACTION : LONG {
    IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_UNKNOWN = 0,
    IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_PREPARING = 1,
    IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_WRITING = 2,
    IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_FINISHING = 3,
};

// The dispatch id of every writer event's Update method.
constexpr DISPID DISPID_IMAPI_EVENTS_UPDATE = 0x200;

// Sectors per second at 1x (audio frames).
constexpr LONG IMAPI_SECTORS_PER_SECOND_1X = 75;

// ---- Result codes (facility 0xAA). ----
constexpr HRESULT E_IMAPI_REQUEST_CANCELLED = static_cast<HRESULT>(0xC0AA0002);
constexpr HRESULT E_IMAPI_RECORDER_REQUIRED = static_cast<HRESULT>(0xC0AA0003);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_NO_MEDIA = static_cast<HRESULT>(0xC0AA0202);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_INCOMPATIBLE = static_cast<HRESULT>(0xC0AA0203);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_UPSIDE_DOWN = static_cast<HRESULT>(0xC0AA0204);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_BECOMING_READY = static_cast<HRESULT>(0xC0AA0205);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_FORMAT_IN_PROGRESS = static_cast<HRESULT>(0xC0AA0206);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_BUSY = static_cast<HRESULT>(0xC0AA0207);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_WRITE_PROTECTED = static_cast<HRESULT>(0xC0AA0209);
constexpr HRESULT E_IMAPI_RECORDER_COMMAND_TIMEOUT = static_cast<HRESULT>(0xC0AA020D);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_SPEED_MISMATCH = static_cast<HRESULT>(0xC0AA020F);
constexpr HRESULT E_IMAPI_RECORDER_LOCKED = static_cast<HRESULT>(0xC0AA0210);
constexpr HRESULT E_IMAPI_RECORDER_CLIENT_NAME_IS_NOT_VALID = static_cast<HRESULT>(0xC0AA0211);
constexpr HRESULT E_IMAPI_RECORDER_MEDIA_NOT_FORMATTED = static_cast<HRESULT>(0xC0AA0212);
constexpr HRESULT E_IMAPI_RECORDER_INVALID_RESPONSE_FROM_DEVICE = static_cast<HRESULT>(0xC0AA02FF);
constexpr HRESULT E_IMAPI_LOSS_OF_STREAMING = static_cast<HRESULT>(0xC0AA0300);
constexpr HRESULT E_IMAPI_UNEXPECTED_RESPONSE_FROM_DEVICE = static_cast<HRESULT>(0xC0AA0301);
constexpr HRESULT E_IMAPI_DF2TAO_WRITE_IN_PROGRESS = static_cast<HRESULT>(0xC0AA0500);
constexpr HRESULT E_IMAPI_DF2TAO_MEDIA_IS_NOT_PREPARED = static_cast<HRESULT>(0xC0AA0502);
constexpr HRESULT E_IMAPI_DF2TAO_MEDIA_IS_PREPARED = static_cast<HRESULT>(0xC0AA0503);
constexpr HRESULT E_IMAPI_DF2TAO_MEDIA_IS_NOT_BLANK = static_cast<HRESULT>(0xC0AA0506);
constexpr HRESULT E_IMAPI_DF2TAO_MEDIA_IS_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA0507);
constexpr HRESULT E_IMAPI_DF2TAO_TRACK_LIMIT_REACHED = static_cast<HRESULT>(0xC0AA0508);
constexpr HRESULT E_IMAPI_DF2TAO_NOT_ENOUGH_SPACE = static_cast<HRESULT>(0xC0AA0509);
constexpr HRESULT E_IMAPI_DF2TAO_STREAM_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA050D);
constexpr HRESULT E_IMAPI_DF2TAO_RECORDER_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA050E);
constexpr HRESULT E_IMAPI_DF2TAO_CLIENT_NAME_IS_NOT_VALID = static_cast<HRESULT>(0xC0AA050F);
constexpr HRESULT E_IMAPI_DF2RAW_WRITE_IN_PROGRESS = static_cast<HRESULT>(0xC0AA0600);
constexpr HRESULT E_IMAPI_DF2RAW_MEDIA_IS_NOT_PREPARED = static_cast<HRESULT>(0xC0AA0602);
constexpr HRESULT E_IMAPI_DF2RAW_MEDIA_IS_PREPARED = static_cast<HRESULT>(0xC0AA0603);
constexpr HRESULT E_IMAPI_DF2RAW_MEDIA_IS_NOT_BLANK = static_cast<HRESULT>(0xC0AA0606);
constexpr HRESULT E_IMAPI_DF2RAW_MEDIA_IS_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA0607);
constexpr HRESULT E_IMAPI_DF2RAW_NOT_ENOUGH_SPACE = static_cast<HRESULT>(0xC0AA0609);
constexpr HRESULT E_IMAPI_DF2RAW_STREAM_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA060D);
constexpr HRESULT E_IMAPI_DF2RAW_DATA_BLOCK_TYPE_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA060E);
constexpr HRESULT E_IMAPI_DF2RAW_STREAM_LEADIN_TOO_SHORT = static_cast<HRESULT>(0xC0AA060F);
constexpr HRESULT E_IMAPI_DF2RAW_RECORDER_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA0610);
constexpr HRESULT E_IMAPI_ERASE_RECORDER_IN_USE = static_cast<HRESULT>(0x80AA0900);
constexpr HRESULT E_IMAPI_ERASE_MEDIA_IS_NOT_ERASABLE = static_cast<HRESULT>(0x80AA0904);
constexpr HRESULT E_IMAPI_ERASE_DRIVE_FAILED_ERASE_COMMAND = static_cast<HRESULT>(0x80AA0905);
constexpr HRESULT E_IMAPI_ERASE_TOOK_LONGER_THAN_ONE_HOUR = static_cast<HRESULT>(0x80AA0906);
constexpr HRESULT E_IMAPI_ERASE_MEDIA_IS_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA0909);
constexpr HRESULT E_IMAPI_ERASE_RECORDER_NOT_SUPPORTED = static_cast<HRESULT>(0xC0AA090A);
constexpr HRESULT E_IMAPI_ERASE_CLIENT_NAME_IS_NOT_VALID = static_cast<HRESULT>(0xC0AA090B);

// ---- Classes. ----
inline constexpr CLSID CLSID_MsftDiscMaster2 = {0x2735412E, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
inline constexpr CLSID CLSID_MsftDiscRecorder2 = {0x2735412D, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
inline constexpr CLSID CLSID_MsftDiscFormat2Erase = {0x2735412B, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
inline constexpr CLSID CLSID_MsftDiscFormat2TrackAtOnce = {0x27354129, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
inline constexpr CLSID CLSID_MsftDiscFormat2RawCD = {0x27354128, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};

struct IDiscRecorder2;

// IDiscMaster2: the recorders of the system, by unique id.
struct IDiscMaster2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IEnumVARIANT** ppunk) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSupportedEnvironment(VARIANT_BOOL* value) = 0;
};

// IDiscRecorder2: one recorder, opened by its unique id.
struct IDiscRecorder2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE EjectMedia() = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseTray() = 0;
    virtual HRESULT STDMETHODCALLTYPE AcquireExclusiveAccess(VARIANT_BOOL force, BSTR clientName) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseExclusiveAccess() = 0;
    virtual HRESULT STDMETHODCALLTYPE DisableMcn() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableMcn() = 0;
    virtual HRESULT STDMETHODCALLTYPE InitializeDiscRecorder(BSTR recorderUniqueId) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ActiveDiscRecorder(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VendorId(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProductId(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProductRevision(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VolumeName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VolumePathNames(SAFEARRAY** value) = 0; // VARIANTs of BSTR "E:\"
    virtual HRESULT STDMETHODCALLTYPE get_DeviceCanLoadMedia(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LegacyDeviceNumber(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedFeaturePages(SAFEARRAY** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentFeaturePages(SAFEARRAY** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedProfiles(SAFEARRAY** value) = 0; // VARIANTs of LONG
    virtual HRESULT STDMETHODCALLTYPE get_CurrentProfiles(SAFEARRAY** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedModePages(SAFEARRAY** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExclusiveAccessOwner(BSTR* value) = 0;
};

// IDiscFormat2: what every writer answers.
struct IDiscFormat2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE IsRecorderSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsCurrentMediaSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MediaPhysicallyBlank(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MediaHeuristicallyBlank(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedMediaTypes(SAFEARRAY** value) = 0;
};

// IDiscFormat2Erase: blanks a rewritable disc; EraseMedia blocks and reports through
// DDiscFormat2EraseEvents.
struct IDiscFormat2Erase : public IDiscFormat2 {
    virtual HRESULT STDMETHODCALLTYPE put_Recorder(IDiscRecorder2* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Recorder(IDiscRecorder2** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FullErase(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FullErase(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentPhysicalMediaType(IMAPI_MEDIA_PHYSICAL_TYPE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ClientName(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE EraseMedia() = 0;
};

struct DDiscFormat2EraseEvents : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Update(IDispatch* object, LONG elapsedSeconds, LONG estimatedTotalSeconds) = 0;
};

// IWriteEngine2EventArgs: the progress record every writer's Update passes.
struct IWriteEngine2EventArgs : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_StartLba(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SectorCount(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastReadLba(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastWrittenLba(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalSystemBuffer(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UsedSystemBuffer(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FreeSystemBuffer(LONG* value) = 0;
};

// IDiscFormat2TrackAtOnce: audio tracks one at a time, each from a stream of 16-bit stereo
// 44.1 kHz PCM, each after a two-second pause the writer adds.
struct IDiscFormat2TrackAtOnce : public IDiscFormat2 {
    virtual HRESULT STDMETHODCALLTYPE PrepareMedia() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAudioTrack(IStream* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelAddTrack() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseMedia() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWriteSpeed(LONG requestedSectorsPerSecond, VARIANT_BOOL rotationTypeIsPureCAV) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Recorder(IDiscRecorder2* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Recorder(IDiscRecorder2** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BufferUnderrunFreeDisabled(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BufferUnderrunFreeDisabled(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NumberOfExistingTracks(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalSectorsOnMedia(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FreeSectorsOnMedia(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UsedSectorsOnMedia(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DoNotFinalizeMedia(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DoNotFinalizeMedia(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpectedTableOfContents(SAFEARRAY** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentPhysicalMediaType(IMAPI_MEDIA_PHYSICAL_TYPE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ClientName(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestedWriteSpeed(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestedRotationTypeIsPureCAV(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentWriteSpeed(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentRotationTypeIsPureCAV(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedWriteSpeeds(SAFEARRAY** supportedSpeeds) = 0; // VARIANTs of LONG
    virtual HRESULT STDMETHODCALLTYPE get_SupportedWriteSpeedDescriptors(SAFEARRAY** descriptors) = 0;
};

struct DDiscFormat2TrackAtOnceEvents : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Update(IDispatch* object, IDispatch* progress) = 0;
};

struct IDiscFormat2TrackAtOnceEventArgs : public IWriteEngine2EventArgs {
    virtual HRESULT STDMETHODCALLTYPE get_CurrentTrackNumber(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentAction(IMAPI_FORMAT2_TAO_WRITE_ACTION* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ElapsedTime(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RemainingTime(LONG* value) = 0;
};

// IDiscFormat2RawCD: the whole disc from a stream of raw sectors (main channel and subcode),
// lead-in to lead-out.
struct IDiscFormat2RawCD : public IDiscFormat2 {
    virtual HRESULT STDMETHODCALLTYPE PrepareMedia() = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteMedia(IStream* data) = 0; // the stream starts at 95:00:00
    virtual HRESULT STDMETHODCALLTYPE WriteMedia2(IStream* data, LONG streamLeadInSectors) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelWrite() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseMedia() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWriteSpeed(LONG requestedSectorsPerSecond, VARIANT_BOOL rotationTypeIsPureCAV) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Recorder(IDiscRecorder2* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Recorder(IDiscRecorder2** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BufferUnderrunFreeDisabled(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BufferUnderrunFreeDisabled(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StartOfNextSession(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastPossibleStartOfLeadout(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentPhysicalMediaType(IMAPI_MEDIA_PHYSICAL_TYPE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedSectorTypes(SAFEARRAY** value) = 0; // VARIANTs of LONG
    virtual HRESULT STDMETHODCALLTYPE put_RequestedSectorType(IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestedSectorType(IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ClientName(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestedWriteSpeed(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestedRotationTypeIsPureCAV(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentWriteSpeed(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentRotationTypeIsPureCAV(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedWriteSpeeds(SAFEARRAY** supportedSpeeds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedWriteSpeedDescriptors(SAFEARRAY** descriptors) = 0;
};

struct DDiscFormat2RawCDEvents : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Update(IDispatch* object, IDispatch* progress) = 0;
};

struct IDiscFormat2RawCDEventArgs : public IWriteEngine2EventArgs {
    virtual HRESULT STDMETHODCALLTYPE get_CurrentAction(IMAPI_FORMAT2_RAW_CD_WRITE_ACTION* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ElapsedTime(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RemainingTime(LONG* value) = 0;
};

#pragma GCC diagnostic pop

__CRT_UUID_DECL(IDiscMaster2, 0x27354130, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscRecorder2, 0x27354133, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IWriteEngine2EventArgs, 0x27354136, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2, 0x27354152, 0x8F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2Erase, 0x27354156, 0x8F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(DDiscFormat2EraseEvents, 0x2735413A, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2TrackAtOnce, 0x27354154, 0x8F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(DDiscFormat2TrackAtOnceEvents, 0x2735413F, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2TrackAtOnceEventArgs, 0x27354140, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2RawCD, 0x27354155, 0x8F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(DDiscFormat2RawCDEvents, 0x27354142, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
__CRT_UUID_DECL(IDiscFormat2RawCDEventArgs, 0x27354143, 0x7F64, 0x5B0F, 0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E)
