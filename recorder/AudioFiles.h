#pragma once
// AudioFiles: how the engine judges and opens audio files: which extensions name audio
// types it knows, and opening a track's audio with every failure turned into the engine code
// that names it (missing, not audio, damaged, a format it can't play, unreadable). WAV files
// of CD rate are read directly; every other file, and WAV files the reader can't play, are
// decoded through Media Foundation, trimmed of an MP3 encoder's delay and padding when the
// file states them. Stateless (the decoded lengths are shared); any thread.
#include <memory>
#include <string>

#include "recorder/AudioSource.h"

class AudioFiles {
public:
    static constexpr const char* kReadableTypes = "WAV;WAVE;MP3;WMA;M4A;AAC;FLAC";

    // True for audio types the engine knows, whether or not it can decode them.
    static bool KnownType(const std::wstring& path);
    // Opens path to be read; its OutputBytes is the decoded length (found by decoding the
    // file in full the first time). Throws EngineFailure with RECORDING_E_FILE_NOT_FOUND,
    // _UNSUPPORTED_FILE, _UNREADABLE_FILE_TYPE, _BAD_AUDIO_FILE or _AUDIO_READ.
    static std::unique_ptr<AudioSource> Open(const std::wstring& path);
    // Checks that a decoder takes path, without decoding it; throws as Open does.
    static void Probe(const std::wstring& path);
    // The file name without folder and extension, in UTF-8: a track's title.
    static std::string Title(const std::wstring& path);
};
