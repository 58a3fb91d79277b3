#pragma once
// WavReader: reads a RIFF/WAVE file of PCM samples (8, 16 or 24 bits, mono or stereo,
// 44,100 Hz; plain or extensible format) and delivers it as the 16-bit stereo frames of an
// audio CD, with the texts of its LIST/INFO chunks (INAM, IART, IPRD; UTF-8 when the bytes
// are valid UTF-8, else Latin-1). The header is parsed and checked in the constructor; nothing
// the file claims is trusted beyond what the file holds, and broken tags are only ignored. One reader per file; not shared between threads.
#include <cstdint>
#include <memory>
#include <vector>

#include "recorder/AudioSource.h"
#include "recorder/ByteSource.h"
#include "support/ContextException.h"

class WavReader : public AudioSource {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(not_wav, base_exception);     // no RIFF/WAVE signature
    FENNEL_EXCEPTION(malformed, base_exception);   // broken, truncated or self-contradicting header
    FENNEL_EXCEPTION(unsupported, base_exception); // a valid WAV in a format this reader can't play
    FENNEL_EXCEPTION(read_failure, base_exception); // the file ended early or could not be read

    struct Format {
        unsigned channels = 0;
        unsigned sampleRate = 0;
        unsigned bitsPerSample = 0;  // valid bits as the header gives them
        unsigned bytesPerSample = 0; // container size
        unsigned blockAlign = 0;
    };

    static constexpr unsigned kSampleRate = 44100;

    explicit WavReader(std::unique_ptr<ByteSource> source);

    const Format& AudioFormat() const { return format_; }
    std::uint64_t FrameCount() const { return frames_; }
    // Bytes Read delivers in all: FrameCount() * 4.
    std::uint64_t OutputBytes() const override { return frames_ * 4; }

    // Fills output with up to size bytes (rounded down to whole frames) of 16-bit stereo;
    // answers the count, 0 once every frame has been delivered.
    std::size_t Read(std::uint8_t* output, std::size_t size) override;
    AudioTags Tags() const override { return tags_; }

private:
    struct Chunk {
        char id[4];
        std::uint64_t offset; // first byte of the body
        std::uint32_t size;   // as the header claims it
    };

    void ParseHeader();
    void ParseFormat(const Chunk& chunk);
    // Takes the texts of a LIST chunk of type INFO that lies within the file.
    void ParseList(const Chunk& chunk);
    void ReadExactly(std::uint64_t offset, void* buffer, std::size_t size, const char* what);

    std::unique_ptr<ByteSource> source_;
    std::uint64_t fileSize_ = 0;
    Format format_;
    std::uint64_t dataOffset_ = 0;
    std::uint64_t frames_ = 0;
    std::uint64_t framesRead_ = 0;
    std::vector<std::uint8_t> raw_; // input frames awaiting conversion
    AudioTags tags_;
};
