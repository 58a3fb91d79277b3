// The MP3 encoder tag: where it is found, what it says, and the heads that answer nothing.
#include "recorder/LameTag.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The head of an MP3 file: a first frame carrying an Info tag (behind ID3v2: DecoderTest's).
struct TagBuilder {
    std::vector<std::uint8_t> header = {0xFF, 0xFB, 0x90, 0x00}; // MPEG-1 layer III, 44.1 kHz, stereo
    std::uint32_t flags = 0x0F, frames = 116;
    const char* encoder = "LAME3.100";
    std::uint32_t delay = 576, padding = 756;
    std::size_t cut = 0;      // bytes dropped from the end

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out = header;
        bool mpeg1 = (header[1] & 0x18) == 0x18, mono = (header[3] >> 6) == 3;
        out.resize(out.size() + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17)));
        out.insert(out.end(), {'I', 'n', 'f', 'o'});
        auto be32 = [&](std::uint32_t v) { for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s)); };
        be32(flags);
        if (flags & 1) be32(frames);
        out.resize(out.size() + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0));
        out.insert(out.end(), encoder, encoder + 9);
        out.resize(out.size() + 12);
        for (std::uint32_t b : {delay >> 4, ((delay & 0xF) << 4) | (padding >> 8), padding & 0xFF})
            out.push_back(static_cast<std::uint8_t>(b));
        out.resize(out.size() + 12);
        out.resize(out.size() - cut);
        return out;
    }
};

TEST(LameTagTest, ReadsDelayAndPaddingOrAnswersNothing) {
    constexpr std::uint64_t kLong = 116 * 1152 - 576 - 756, kShort = 116 * 576 - 576 - 756;
    const struct {
        const char* name;
        TagBuilder tag;
        std::uint32_t rate; // 0: no answer
        unsigned channels;
        std::uint64_t audio;
    } rows[] = {
        {"MPEG-1 stereo", {}, 44100, 2, kLong},
        {"MPEG-2.5 mono at 8 kHz", {.header = {0xFF, 0xE3, 0x98, 0xC0}}, 8000, 1, kShort},
        {"frame count only", {.flags = 1, .encoder = "Lavc59.37"}, 44100, 2, kLong},
        {"layer II", {.header = {0xFF, 0xFD, 0x90, 0x00}}, 0, 0, 0},
        {"reserved version", {.header = {0xFF, 0xEB, 0x90, 0x00}}, 0, 0, 0},
        {"reserved rate", {.header = {0xFF, 0xFB, 0x9C, 0x00}}, 0, 0, 0},
        {"no frame count", {.flags = 0x0E}, 0, 0, 0},
        {"unknown encoder", {.encoder = "XYZW1.000"}, 0, 0, 0},
        {"delay and padding longer than the audio", {.frames = 1}, 0, 0, 0},
        {"cut inside the tag", {.cut = 20}, 0, 0, 0},
        {"cut after the flags", {.flags = 1, .cut = 40}, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto info = LameTag::Parse(row.tag.Bytes());
        ASSERT_EQ(row.rate != 0, info.has_value());
        if (!info) continue;
        EXPECT_EQ(row.rate, info->sampleRate);
        EXPECT_EQ(row.channels, info->channels);
        EXPECT_EQ(576u + 529u, info->LeadingSamples());
        EXPECT_EQ(row.audio, info->AudioSamples());
    }
}

} // namespace
