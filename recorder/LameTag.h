#pragma once
// LameTag: the gapless information an MP3 encoder leaves in the Xing/Info frame at the start
// of the file (after any ID3v2 tag): how many MPEG frames follow, how many samples the
// encoder put before the audio (delay) and after it (padding). Parse reads only the bytes it
// is given and trusts none of them; files without such a frame, or with one that contradicts
// itself, answer nothing. Stateless; any thread.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

class LameTag {
public:
    // Samples every decoder of layer III adds before the first sample the encoder read.
    static constexpr std::uint32_t kDecoderDelay = 529;
    // Bytes Parse needs at most: an ID3v2 tag of up to this size is skipped.
    static constexpr std::size_t kMaxHeadBytes = 256 * 1024;

    struct Info {
        std::uint32_t sampleRate = 0;
        unsigned channels = 0;
        std::uint32_t samplesPerFrame = 0; // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
        std::uint32_t frames = 0;          // audio frames after the tag's own frame
        std::uint32_t delay = 0;           // encoder delay, samples
        std::uint32_t padding = 0;         // samples added after the last one

        // Samples of the file's audio once delay and padding are removed.
        std::uint64_t AudioSamples() const;
        // Samples a plain decoder delivers before the first sample of the audio.
        std::uint32_t LeadingSamples() const { return delay + kDecoderDelay; }
    };

    // head: the first bytes of the file (up to kMaxHeadBytes).
    static std::optional<Info> Parse(std::span<const std::uint8_t> head);
};
