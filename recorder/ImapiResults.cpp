#include "recorder/ImapiResults.h"

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/ErrorTexts.h"
#include "recorder/Imapi2.h"

namespace {

struct Entry {
    HRESULT result;
    std::int32_t code;
    const char* text;
};

constexpr Entry kEntries[] = {
    {E_IMAPI_REQUEST_CANCELLED, RECORDING_E_CANCELLED, "The recorder stopped at the request."},
    {E_IMAPI_RECORDER_MEDIA_NO_MEDIA, RECORDING_E_NO_MEDIA, "There is no disc in the recorder."},
    {E_IMAPI_RECORDER_MEDIA_BECOMING_READY, RECORDING_E_NOT_READY, "The recorder is still becoming ready."},
    {E_IMAPI_RECORDER_MEDIA_INCOMPATIBLE, RECORDING_E_MEDIA_UNREADABLE, "The recorder cannot use this disc."},
    {E_IMAPI_RECORDER_MEDIA_UPSIDE_DOWN, RECORDING_E_MEDIA_UNREADABLE, "The disc is upside down."},
    {E_IMAPI_RECORDER_MEDIA_FORMAT_IN_PROGRESS, RECORDING_E_DEVICE_BUSY, "The disc is being formatted."},
    {E_IMAPI_RECORDER_MEDIA_BUSY, RECORDING_E_DEVICE_BUSY, "The recorder is busy."},
    {E_IMAPI_RECORDER_MEDIA_WRITE_PROTECTED, RECORDING_E_DISC_CLOSED, "The disc is write-protected."},
    {E_IMAPI_RECORDER_COMMAND_TIMEOUT, RECORDING_E_DEVICE_BUSY, "The recorder did not answer in time."},
    {E_IMAPI_RECORDER_MEDIA_SPEED_MISMATCH, RECORDING_E_PREPARE_REFUSED, "The disc does not take the chosen speed."},
    {E_IMAPI_RECORDER_LOCKED, RECORDING_E_DEVICE_BUSY, "Another program is using the recorder."},
    {E_IMAPI_ERASE_RECORDER_IN_USE, RECORDING_E_DEVICE_BUSY, "Another program is using the recorder."},
    {E_IMAPI_LOSS_OF_STREAMING, RECORDING_E_BUFFER_UNDERRUN, "The recorder's buffer ran empty."},
    {E_IMAPI_DF2TAO_MEDIA_IS_NOT_SUPPORTED, RECORDING_E_DISC_CLOSED, "The disc takes no more tracks."},
    {E_IMAPI_DF2RAW_MEDIA_IS_NOT_SUPPORTED, RECORDING_E_DISC_CLOSED, "The disc cannot be written disc-at-once."},
    {E_IMAPI_DF2RAW_MEDIA_IS_NOT_BLANK, RECORDING_E_DISC_CLOSED, "Disc-at-once needs a blank disc."},
    {E_IMAPI_DF2TAO_MEDIA_IS_NOT_BLANK, RECORDING_E_DISC_CLOSED, "The disc is not blank."},
    {E_IMAPI_DF2TAO_TRACK_LIMIT_REACHED, RECORDING_E_TOO_MANY_TRACKS, "The disc takes no more tracks."},
    {E_IMAPI_DF2TAO_NOT_ENOUGH_SPACE, RECORDING_E_DISC_FULL, "The track does not fit on the disc."},
    {E_IMAPI_DF2RAW_NOT_ENOUGH_SPACE, RECORDING_E_DISC_FULL, "The tracks do not fit on the disc."},
    {E_IMAPI_DF2TAO_RECORDER_NOT_SUPPORTED, RECORDING_E_PREPARE_REFUSED, "The recorder cannot write audio tracks."},
    {E_IMAPI_DF2RAW_RECORDER_NOT_SUPPORTED, RECORDING_E_PREPARE_REFUSED, "The recorder cannot write disc-at-once."},
    {E_IMAPI_DF2RAW_DATA_BLOCK_TYPE_NOT_SUPPORTED, RECORDING_E_PREPARE_REFUSED,
     "The recorder cannot write raw sectors with subcode."},
    {E_IMAPI_ERASE_MEDIA_IS_NOT_ERASABLE, RECORDING_E_MEDIA_NOT_REWRITABLE, "The disc cannot be erased."},
    {E_IMAPI_ERASE_MEDIA_IS_NOT_SUPPORTED, RECORDING_E_MEDIA_NOT_REWRITABLE, "The disc cannot be erased."},
    {E_IMAPI_ERASE_RECORDER_NOT_SUPPORTED, RECORDING_E_CANNOT_REWRITE, "The recorder cannot erase discs."},
    {E_IMAPI_ERASE_DRIVE_FAILED_ERASE_COMMAND, RECORDING_E_ERASE_FAILED, "The recorder failed to erase the disc."},
    {E_IMAPI_ERASE_TOOK_LONGER_THAN_ONE_HOUR, RECORDING_E_ERASE_FAILED, "The erase took longer than an hour."},
};

} // namespace

ImapiResults::Meaning ImapiResults::Of(HRESULT result) {
    const std::string code = " (recorder result " + ErrorTexts::Hex(result) + ")";
    for (const Entry& entry : kEntries)
        if (entry.result == result) return {entry.code, entry.text + code};
    // Anything else: the recorder failed in a way the engine has no better word for.
    return {RECORDING_E_RECORDER_FAILED, "The recorder reported a failure" + code + "."};
}

void ImapiResults::Fail(HRESULT result, const char* where, const char* what) {
    Meaning meaning = Of(result);
    RECORDER_FAIL(meaning.code, where, (std::string(what) + ": " + meaning.text).c_str());
}
