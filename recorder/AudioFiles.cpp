#include "recorder/AudioFiles.h"

#include <algorithm>
#include <vector>

#include "engine/RecordingEngineTypes.h"
#include "recorder/DecodedLengths.h"
#include "recorder/DecodedTrack.h"
#include "recorder/EngineFailure.h"
#include "recorder/LameTag.h"
#include "recorder/MfDecoder.h"
#include "recorder/WavReader.h"
#include "recorder/Win32File.h"
#include "recorder/WinText.h"

namespace {

constexpr std::uint32_t kCdRate = 44100;

bool IsWav(const std::wstring& path) {
    std::wstring extension = WinText::Extension(path);
    return extension == L"WAV" || extension == L"WAVE";
}

// Fails unless path is an existing file of a known audio type; answers its key.
DecodedLengths::Key Check(const std::wstring& path, const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        RECORDER_FAIL(RECORDING_E_FILE_NOT_FOUND, "AudioFiles::Check()", name.c_str());
    if (!AudioFiles::KnownType(path)) RECORDER_FAIL(RECORDING_E_UNSUPPORTED_FILE, "AudioFiles::Check()", name.c_str());
    return {path, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// The WAV reader for path, or null when the file is a WAV the reader can't play (another
// rate, a compressed format), which a decoder may still take.
std::unique_ptr<WavReader> OpenWav(const std::wstring& path, const std::string& name) {
    try {
        return std::make_unique<WavReader>(std::make_unique<Win32File>(Win32File::OpenRead(path)));
    } catch (const Win32File::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_AUDIO_READ, "AudioFiles::Open()", e.Context());
    } catch (const WavReader::not_wav& e) {
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    } catch (const WavReader::unsupported&) {
        return nullptr;
    } catch (const WavReader::malformed& e) {
        RECORDER_FAIL(RECORDING_E_BAD_AUDIO_FILE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    } catch (const WavReader::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_AUDIO_READ, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    }
}

std::unique_ptr<MfDecoder> OpenDecoder(const std::wstring& path, const std::string& name) {
    try {
        return std::make_unique<MfDecoder>(path);
    } catch (const MfDecoder::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "AudioFiles::Open()", (name + ": " + e.Context()).c_str());
    }
}

std::optional<LameTag::Info> ReadLameTag(const std::wstring& path) {
    if (WinText::Extension(path) != L"MP3") return std::nullopt;
    try {
        Win32File file = Win32File::OpenRead(path);
        std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), LameTag::kMaxHeadBytes)));
        head.resize(file.ReadAt(0, head.data(), head.size()));
        return LameTag::Parse(head);
    } catch (const Win32File::base_exception&) {
        return std::nullopt; // the decoder reports an unreadable file
    }
}

// Decodes the whole file once: its length, less an MP3 encoder's delay and padding.
DecodedLengths::Length Measure(const std::wstring& path, const std::string& name, MfDecoder& decoder) {
    std::vector<std::uint8_t> buffer(256 * 1024);
    std::uint64_t total = 0;
    try {
        while (std::size_t got = decoder.Read(buffer.data(), buffer.size())) total += got / MfDecoder::kFrameBytes;
    } catch (const MfDecoder::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_BAD_AUDIO_FILE, "AudioFiles::Measure()", (name + ": " + e.Context()).c_str());
    }
    if (total == 0) RECORDER_FAIL(RECORDING_E_BAD_AUDIO_FILE, "AudioFiles::Measure()", (name + ": no audio in the file").c_str());
    DecodedLengths::Length length{0, total};
    std::optional<LameTag::Info> tag = ReadLameTag(path);
    if (tag && tag->sampleRate == decoder.SourceRate()) {
        // The decoder delivers every frame's samples, the decoder's own delay included.
        auto scale = [&](std::uint64_t samples) { return (samples * kCdRate + tag->sampleRate / 2) / tag->sampleRate; };
        std::uint64_t skip = scale(tag->LeadingSamples());
        std::uint64_t audio = scale(tag->AudioSamples());
        if (skip < total) length = {skip, std::min(audio, total - skip)};
    }
    return length;
}

} // namespace

bool AudioFiles::KnownType(const std::wstring& path) {
    static const wchar_t* const kKnown[] = {L"WAV", L"WAVE", L"MP3", L"WMA", L"OGG", L"FLAC", L"AAC",
                                            L"M4A", L"AIF", L"AIFF", L"AU",  L"SND", L"MP2", L"APE"};
    std::wstring extension = WinText::Extension(path);
    for (const wchar_t* known : kKnown)
        if (extension == known) return true;
    return false;
}

std::unique_ptr<AudioSource> AudioFiles::Open(const std::wstring& path) {
    const std::string name = WinText::Utf8(path);
    DecodedLengths::Key key = Check(path, name);
    if (IsWav(path))
        if (std::unique_ptr<WavReader> wav = OpenWav(path, name)) return wav;
    std::unique_ptr<MfDecoder> decoder = OpenDecoder(path, name);
    std::optional<DecodedLengths::Length> length = DecodedLengths::Shared().Find(key);
    if (!length) {
        length = Measure(path, name, *decoder);
        DecodedLengths::Shared().Remember(key, *length);
        decoder = OpenDecoder(path, name);
    }
    return std::make_unique<DecodedTrack>(std::move(decoder), length->skipFrames, length->frames);
}

void AudioFiles::Probe(const std::wstring& path) {
    const std::string name = WinText::Utf8(path);
    Check(path, name);
    if (IsWav(path) && OpenWav(path, name)) return;
    OpenDecoder(path, name);
}

std::string AudioFiles::Title(const std::wstring& path) {
    std::wstring name = WinText::FileNameOf(path);
    std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return WinText::Utf8(name);
}
