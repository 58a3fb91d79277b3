#pragma once
// AudioFiles: how the engine judges and opens audio files: which extensions name audio
// types it knows, and opening a WAV reader with every failure turned into the engine code
// that names it (missing, not audio, damaged, a format it can't play, unreadable).
// Stateless; any thread.
#include <memory>
#include <string>

#include "recorder/WavReader.h"

class AudioFiles {
public:
    static constexpr const char* kReadableTypes = "WAV;WAVE";

    // True for audio types the engine knows, whether or not it can decode them.
    static bool KnownType(const std::wstring& path);
    // Throws EngineFailure with RECORDING_E_FILE_NOT_FOUND, _UNSUPPORTED_FILE,
    // _UNREADABLE_FILE_TYPE, _BAD_AUDIO_FILE or _AUDIO_READ.
    static std::unique_ptr<WavReader> Open(const std::wstring& path);
    // The file name without folder and extension, in UTF-8: a track's title.
    static std::string Title(const std::wstring& path);
};
