// The MP3 encoder tag: where it is found, what it says, and the files that answer nothing.
#include "recorder/LameTag.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The first frame of an MP3 file carrying an Info tag with the encoder's extension.
struct TagBuilder {
    std::uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00}; // MPEG-1 layer III, 128 kbps, 44.1 kHz, stereo
    std::uint32_t flags = 0x0F;
    std::uint32_t frames = 116;
    const char* encoder = "LAME3.100";
    std::uint32_t delay = 576, padding = 756;
    std::size_t id3Size = 0;
    std::size_t cut = 0; // bytes dropped from the end

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        if (id3Size) {
            const std::uint8_t id3[10] = {'I', 'D', '3', 4, 0, 0, static_cast<std::uint8_t>((id3Size >> 21) & 0x7F),
                                          static_cast<std::uint8_t>((id3Size >> 14) & 0x7F),
                                          static_cast<std::uint8_t>((id3Size >> 7) & 0x7F),
                                          static_cast<std::uint8_t>(id3Size & 0x7F)};
            out.insert(out.end(), id3, id3 + 10);
            out.resize(out.size() + id3Size);
        }
        out.insert(out.end(), header, header + 4);
        bool mpeg1 = (header[1] & 0x18) == 0x18, mono = (header[3] >> 6) == 3;
        out.resize(out.size() + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17)));
        out.insert(out.end(), {'I', 'n', 'f', 'o'});
        auto be32 = [&](std::uint32_t v) { for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s)); };
        be32(flags);
        if (flags & 1) be32(frames);
        if (flags & 2) be32(100000);
        if (flags & 4) out.resize(out.size() + 100);
        if (flags & 8) be32(50);
        out.insert(out.end(), encoder, encoder + 9);
        out.resize(out.size() + 12);
        out.push_back(static_cast<std::uint8_t>(delay >> 4));
        out.push_back(static_cast<std::uint8_t>(((delay & 0xF) << 4) | (padding >> 8)));
        out.push_back(static_cast<std::uint8_t>(padding));
        out.resize(out.size() + 12);
        out.resize(out.size() - cut);
        return out;
    }
};

TEST(LameTagTest, ReadsTheTagWhereverTheFirstFrameIs) {
    const struct {
        const char* name;
        TagBuilder tag;
        std::uint32_t rate;
        unsigned channels;
        std::uint32_t samplesPerFrame;
        std::uint64_t audio;
    } rows[] = {
        {"MPEG-1 stereo", {}, 44100, 2, 1152, 116 * 1152 - 576 - 756},
        {"after an ID3v2 tag", {.id3Size = 300}, 44100, 2, 1152, 116 * 1152 - 576 - 756},
        {"MPEG-1 mono at 32 kHz", {.header = {0xFF, 0xFB, 0x98, 0xC0}}, 32000, 1, 1152, 116 * 1152 - 576 - 756},
        {"MPEG-2 stereo at 22.05 kHz", {.header = {0xFF, 0xF3, 0x90, 0x00}}, 22050, 2, 576, 116 * 576 - 576 - 756},
        {"MPEG-2.5 mono at 8 kHz", {.header = {0xFF, 0xE3, 0x98, 0xC0}}, 8000, 1, 576, 116 * 576 - 576 - 756},
        {"frame count only", {.flags = 1, .encoder = "Lavc59.37"}, 44100, 2, 1152, 116 * 1152 - 576 - 756},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::uint8_t> bytes = row.tag.Bytes();
        const auto info = LameTag::Parse(bytes);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(row.rate, info->sampleRate);
        EXPECT_EQ(row.channels, info->channels);
        EXPECT_EQ(row.samplesPerFrame, info->samplesPerFrame);
        EXPECT_EQ(576u + 529u, info->LeadingSamples());
        EXPECT_EQ(row.audio, info->AudioSamples());
    }
}

TEST(LameTagTest, AnswersNothingForFilesWithoutAUsableTag) {
    const struct {
        const char* name;
        TagBuilder tag;
    } rows[] = {
        {"layer II", {.header = {0xFF, 0xFD, 0x90, 0x00}}},
        {"reserved version", {.header = {0xFF, 0xEB, 0x90, 0x00}}},
        {"free bitrate", {.header = {0xFF, 0xFB, 0x00, 0x00}}},
        {"reserved rate", {.header = {0xFF, 0xFB, 0x9C, 0x00}}},
        {"no frame count", {.flags = 0x0E}},
        {"unknown encoder", {.encoder = "XYZW1.000"}},
        {"no frames", {.frames = 0}},
        {"delay and padding longer than the audio", {.frames = 1}},
        {"cut inside the tag", {.cut = 20}},
        {"cut after the flags", {.flags = 1, .cut = 40}},
        {"ID3v2 tag larger than the head", {.id3Size = 300, .cut = 400}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(LameTag::Parse(row.tag.Bytes()).has_value());
    }
    EXPECT_FALSE(LameTag::Parse({}).has_value());
}

} // namespace
