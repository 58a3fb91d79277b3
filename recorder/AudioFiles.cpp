#include "recorder/AudioFiles.h"

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/Win32File.h"
#include "recorder/WinText.h"

namespace {

bool Readable(const std::wstring& extension) { return extension == L"WAV" || extension == L"WAVE"; }

} // namespace

bool AudioFiles::KnownType(const std::wstring& path) {
    static const wchar_t* const kKnown[] = {L"WAV", L"WAVE", L"MP3", L"WMA", L"OGG", L"FLAC", L"AAC",
                                            L"M4A", L"AIF", L"AIFF", L"AU",  L"SND", L"MP2", L"APE"};
    std::wstring extension = WinText::Extension(path);
    for (const wchar_t* known : kKnown)
        if (extension == known) return true;
    return false;
}

std::unique_ptr<WavReader> AudioFiles::Open(const std::wstring& path) {
    const std::string name = WinText::Utf8(path);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        RECORDER_FAIL(RECORDING_E_FILE_NOT_FOUND, "AudioFiles::Open()", name.c_str());
    if (!KnownType(path)) RECORDER_FAIL(RECORDING_E_UNSUPPORTED_FILE, "AudioFiles::Open()", name.c_str());
    if (!Readable(WinText::Extension(path)))
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "AudioFiles::Open()", (name + ": no decoder for this type").c_str());
    try {
        return std::make_unique<WavReader>(std::make_unique<Win32File>(Win32File::OpenRead(path)));
    } catch (const Win32File::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_AUDIO_READ, "AudioFiles::Open()", e.Context());
    } catch (const WavReader::not_wav& e) {
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    } catch (const WavReader::unsupported& e) {
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    } catch (const WavReader::malformed& e) {
        RECORDER_FAIL(RECORDING_E_BAD_AUDIO_FILE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    } catch (const WavReader::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_AUDIO_READ, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    }
}

std::string AudioFiles::Title(const std::wstring& path) {
    std::wstring name = WinText::FileNameOf(path);
    std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return WinText::Utf8(name);
}
