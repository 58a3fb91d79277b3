#include "recorder/ErrorTexts.h"

#include <cstdio>

#include "engine/RecordingEngineTypes.h"

std::string ErrorTexts::Hex(std::int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string ErrorTexts::Describe(std::int32_t code) {
    struct Entry {
        std::int32_t code;
        const char* text;
    };
    static const Entry kTexts[] = {
        {RECORDING_E_FILE_NOT_FOUND, "The audio file does not exist."},
        {RECORDING_E_TOO_MANY_TRACKS, "An audio disc holds at most 99 tracks."},
        {RECORDING_E_NOT_READY, "The drive is not ready."},
        {RECORDING_E_UNREADABLE_FILE_TYPE, "The recorder cannot read this kind of audio file."},
        {RECORDING_E_NO_SUCH_DEVICE, "There is no such recording device."},
        {RECORDING_E_UNSUPPORTED_FILE, "The file is not an audio file the recorder knows."},
        {RECORDING_E_DISC_FULL, "The tracks do not fit in the free space of the disc."},
        {RECORDING_E_NO_MEDIA, "There is no disc in the drive."},
        {RECORDING_E_CANNOT_REWRITE, "The drive cannot write or erase rewritable discs."},
        {RECORDING_E_MEDIA_NOT_REWRITABLE, "The disc is not rewritable."},
        {RECORDING_E_MEDIA_UNREADABLE, "The disc in the drive cannot be read."},
        {RECORDING_E_NOT_INITIALIZED, "The recording engine has not been initialized."},
        {RECORDING_E_CANCELLED, "The recording was cancelled."},
        {RECORDING_E_BAD_AUDIO_FILE, "The audio file is damaged: its header does not match its contents."},
        {RECORDING_E_DEVICE_BUSY, "The drive is busy."},
        {RECORDING_E_IMAGE_WRITE, "The disc image could not be written."},
        {RECORDING_E_IMAGE_FOLDER, "The folder for the disc images cannot be created or written."},
        {RECORDING_E_DISC_CLOSED, "The disc is closed or cannot be written by this drive."},
        {RECORDING_E_NOT_PREPARED, "The recording has not been prepared."},
        {RECORDING_E_PREPARE_REFUSED, "The drive refused to prepare the recording."},
        {RECORDING_E_EMPTY_LAYOUT, "There are no tracks to record."},
        {RECORDING_E_STARTING, "The recording engine is still starting."},
        {RECORDING_E_CONFIGURATION, "The drive configuration file cannot be used."},
        {RECORDING_E_ACTIVE, "A recording or erase is in progress."},
        {RECORDING_E_AUDIO_READ, "An audio file could not be read while recording."},
        {RECORDING_E_VERIFY_FAILED, "The track read back from the disc image differs from the audio written."},
        {RECORDING_E_ERASE_FAILED, "The erase stopped part-way; the disc must be erased again before it can be used."},
        {RECORDING_E_BUFFER_UNDERRUN, "The drive's buffer ran empty while writing (buffer underrun)."},
        {RECORDING_E_RECORDER_FAILED, "The recorder failed a command."},
    };
    for (const Entry& entry : kTexts)
        if (entry.code == code) return entry.text;
    return "Error " + Hex(code) + ".";
}
