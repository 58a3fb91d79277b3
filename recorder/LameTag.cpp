#include "recorder/LameTag.h"

#include <cstring>

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

constexpr std::uint32_t kXingFrames = 0x1, kXingBytes = 0x2, kXingToc = 0x4, kXingQuality = 0x8;
// From the encoder's 9-byte version string: revision, low-pass, peak, two gains, flags and
// bitrate come before the 12-bit delay and 12-bit padding.
constexpr std::size_t kDelayOffset = 21;

// Skips an ID3v2 tag: 10 bytes of header, the synchsafe size, and a footer when flagged.
std::size_t SkipId3(std::span<const std::uint8_t> head) {
    if (head.size() < 10 || std::memcmp(head.data(), "ID3", 3) != 0) return 0;
    std::uint32_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (head[static_cast<std::size_t>(i)] & 0x80) return 0;
        size = (size << 7) | head[static_cast<std::size_t>(i)];
    }
    return 10 + std::size_t{size} + ((head[5] & 0x10) ? 10 : 0);
}

bool KnownEncoder(const std::uint8_t* version) {
    static const char* const kEncoders[] = {"LAME", "Lavf", "Lavc", "L3.9"};
    for (const char* name : kEncoders)
        if (std::memcmp(version, name, 4) == 0) return true;
    return false;
}

} // namespace

std::uint64_t LameTag::Info::AudioSamples() const {
    std::uint64_t total = std::uint64_t{frames} * samplesPerFrame;
    std::uint64_t trim = std::uint64_t{delay} + padding;
    return total > trim ? total - trim : 0;
}

std::optional<LameTag::Info> LameTag::Parse(std::span<const std::uint8_t> head) {
    std::size_t pos = SkipId3(head);
    if (pos > head.size() || head.size() - pos < 4) return std::nullopt;
    const std::uint8_t* frame = head.data() + pos;
    std::size_t left = head.size() - pos;

    // Frame header: 11 sync bits, version, layer III, a valid bitrate and sample rate.
    if (frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0) return std::nullopt;
    unsigned version = (frame[1] >> 3) & 3; // 0: MPEG-2.5, 2: MPEG-2, 3: MPEG-1
    unsigned layer = (frame[1] >> 1) & 3;   // 1: layer III
    unsigned bitrate = frame[2] >> 4;
    unsigned rateIndex = (frame[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrate == 0 || bitrate == 15 || rateIndex == 3) return std::nullopt;
    static const std::uint32_t kRates[3] = {44100, 48000, 32000};
    Info info;
    info.sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    info.channels = (frame[3] >> 6) == 3 ? 1 : 2;
    info.samplesPerFrame = version == 3 ? 1152 : 576;

    // The tag follows the side information, whose size depends on version and channels.
    std::size_t side = version == 3 ? (info.channels == 1 ? 17 : 32) : (info.channels == 1 ? 9 : 17);
    std::size_t at = 4 + side;
    if (left < at + 8) return std::nullopt;
    if (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0) return std::nullopt;
    std::uint32_t flags = Be32(frame + at + 4);
    at += 8;
    if (!(flags & kXingFrames)) return std::nullopt; // without a frame count the padding can't be placed
    if (left < at + 4) return std::nullopt;
    info.frames = Be32(frame + at);
    at += 4;
    if (flags & kXingBytes) at += 4;
    if (flags & kXingToc) at += 100;
    if (flags & kXingQuality) at += 4;
    if (left < at + kDelayOffset + 3 || !KnownEncoder(frame + at)) return std::nullopt;
    const std::uint8_t* gap = frame + at + kDelayOffset;
    info.delay = (std::uint32_t{gap[0]} << 4) | (gap[1] >> 4);
    info.padding = ((std::uint32_t{gap[1]} & 0x0F) << 8) | gap[2];
    if (info.frames == 0 || std::uint64_t{info.delay} + info.padding >= std::uint64_t{info.frames} * info.samplesPerFrame)
        return std::nullopt;
    return info;
}
