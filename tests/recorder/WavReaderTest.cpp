#include "recorder/WavReader.h"

#include <gtest/gtest.h>

#include <functional>

#include "recorder/MemorySource.h"
#include "tests/recorder/WavBuilder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Change = std::function<void(WavBuilder&)>;
using Edit = std::function<void(Bytes&)>;

Bytes ReadAll(const Bytes& file, std::size_t piece = 1 << 16) {
    WavReader reader(std::make_unique<MemorySource>(file));
    Bytes out, buffer(piece);
    while (std::size_t n = reader.Read(buffer.data(), buffer.size())) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    EXPECT_EQ(out.size(), reader.OutputBytes());
    return out;
}

// A valid file of samples, changed in its builder and then in its bytes.
Bytes Made(const Bytes& samples, const Change& change, const Edit& edit = {}) {
    WavBuilder wav;
    wav.samples = samples;
    if (change) change(wav);
    Bytes bytes = wav.Bytes();
    if (edit) edit(bytes);
    return bytes;
}

TEST(WavReaderTest, ConvertsEveryPcmLayoutToSixteenBitStereo) {
    const struct {
        const char* name;
        std::uint16_t formatTag, channels, bits;
        Bytes input, expected; // expected: 16-bit stereo little-endian
    } cases[] = {
        {"8-bit mono", 1, 1, 8, {0x00, 0x80, 0xFF}, {0x00, 0x80, 0x00, 0x80, 0, 0, 0, 0, 0x00, 0x7F, 0x00, 0x7F}},
        {"8-bit stereo", 1, 2, 8, {0x81, 0x7F}, {0x00, 0x01, 0x00, 0xFF}},
        {"16-bit mono", 1, 1, 16, {0x34, 0x12, 0xFE, 0xFF}, {0x34, 0x12, 0x34, 0x12, 0xFE, 0xFF, 0xFE, 0xFF}},
        {"16-bit stereo", 1, 2, 16, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"24-bit mono", 1, 1, 24, {0x11, 0x22, 0x33}, {0x22, 0x33, 0x22, 0x33}},
        {"24-bit stereo", 1, 2, 24, {0x11, 0x22, 0x33, 0x44, 0x55, 0x86}, {0x22, 0x33, 0x55, 0x86}},
        {"extensible 24-bit stereo", 0xFFFE, 2, 24, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, {0x22, 0x33, 0x55, 0x66}},
        {"12 bits in 16", 1, 2, 12, {0x10, 0x80, 0x20, 0x7F}, {0x10, 0x80, 0x20, 0x7F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAll(Made(c.input, [&](WavBuilder& w) {
                      w.formatTag = c.formatTag;
                      w.channels = c.channels;
                      w.bitsPerSample = c.bits;
                  })),
                  c.expected);
    }
}

TEST(WavReaderTest, ReadsInAnyPieceSizeAndDropsATrailingPartialFrame) {
    Bytes samples;
    for (int i = 0; i < 3001; ++i) samples.push_back(static_cast<std::uint8_t>(i * 13)); // a third of a frame too many
    Bytes file = Made(samples, [](WavBuilder& w) { w.channels = 1, w.bitsPerSample = 24; });
    Bytes whole = ReadAll(file);
    EXPECT_EQ(whole.size(), 1000u * 4);
    for (std::size_t piece : {4u, 6u, 4096u, 4099u}) EXPECT_EQ(ReadAll(file, piece), whole) << piece;
}

TEST(WavReaderTest, ToleratesHarmlessOdditiesAndRefusesBrokenLyingAndForeignFiles) {
    enum Failure { None, NotWav, Malformed, Unsupported };
    auto cut = [](std::size_t keep) { return [keep](Bytes& b) { b.resize(keep); }; };
    const struct {
        const char* name;
        Change change;
        Edit edit;
        Failure failure;
    } cases[] = {
        {"odd-sized chunk before fmt", [](WavBuilder& w) { w.extraChunkBefore = "abc"; }, {}, None},
        {"fmt after data", [](WavBuilder& w) { w.fmtAfterData = true; }, {}, None},
        {"open data size", [](WavBuilder& w) { w.dataSizeField = 0xFFFFFFFF; }, {}, None},
        {"open RIFF size", [](WavBuilder& w) { w.riffSizeField = 0; }, {}, None},
        {"RIFF size too large", [](WavBuilder& w) { w.riffSizeField = 0x7FFFFFFF; }, {}, None},
        {"longer fmt chunk", [](WavBuilder& w) { w.fmtSizeField = 18; }, {}, None},
        {"junk past the RIFF end", {}, [](Bytes& b) { b.insert(b.end(), {'j', 'u', 'n', 'k', 255, 255, 255, 255}); }, None},
        {"empty file", {}, cut(0), NotWav},
        {"text file", {}, [](Bytes& b) { b.assign(25, 't'); }, NotWav},
        {"big-endian RIFX", {}, [](Bytes& b) { b[3] = 'X'; }, NotWav},
        {"cut inside the fmt chunk", {}, cut(30), Malformed},
        {"cut inside the samples", {}, cut(100), Malformed},
        {"no data chunk", {}, cut(36), Malformed},
        {"data size one past the file", [](WavBuilder& w) { w.dataSizeField = std::int64_t(w.samples.size()) + 1; }, {}, Malformed},
        {"block size lies", [](WavBuilder& w) { w.blockAlign = 3; }, {}, Malformed},
        {"zero block size", [](WavBuilder& w) { w.blockAlign = 0; }, {}, Malformed},
        {"zero channels", [](WavBuilder& w) { w.channels = 0, w.blockAlign = 4; }, {}, Malformed},
        {"zero rate", [](WavBuilder& w) { w.sampleRate = 0; }, {}, Malformed},
        {"15-byte fmt chunk at the end", [](WavBuilder& w) { w.fmtSizeField = 15, w.fmtAfterData = true; }, {}, Malformed},
        {"second fmt chunk", [](WavBuilder& w) { w.riffSizeField = 0; },
         [](Bytes& b) {
             const Bytes fmt(b.begin() + 12, b.begin() + 36);
             b.insert(b.begin() + 36, fmt.begin(), fmt.end());
         },
         Malformed},
        {"extension size 21", [](WavBuilder& w) { w.formatTag = 0xFFFE; }, [](Bytes& b) { b[36] = 21; }, Malformed},
        {"fmt chunk past the end", [](WavBuilder& w) { w.fmtSizeField = 0x10000, w.fmtAfterData = true; }, {}, Malformed},
        {"chunk past the end", [](WavBuilder& w) { w.extraChunkBefore = "abc", w.riffSizeField = 14; }, {}, Malformed},
        {"48 kHz", [](WavBuilder& w) { w.sampleRate = 48000; }, {}, Unsupported},
        {"32-bit", [](WavBuilder& w) { w.bitsPerSample = 32; }, {}, Unsupported},
        {"six channels", [](WavBuilder& w) { w.channels = 6; }, {}, Unsupported},
        {"floating point", [](WavBuilder& w) { w.formatTag = 3; }, {}, Unsupported},
        {"extensible float", [](WavBuilder& w) { w.formatTag = 0xFFFE, w.subFormat = 3; }, {}, Unsupported},
    };
    const Bytes samples = WavBuilder::Pattern(50, 2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = Made(samples, c.change, c.edit);
        switch (c.failure) {
        case None: EXPECT_EQ(ReadAll(bytes), samples); break;
        case NotWav: EXPECT_THROW(ReadAll(bytes), WavReader::not_wav); break;
        case Malformed: EXPECT_THROW(ReadAll(bytes), WavReader::malformed); break;
        case Unsupported: EXPECT_THROW(ReadAll(bytes), WavReader::unsupported); break;
        }
    }
    EXPECT_TRUE(ReadAll(Made({}, {})).empty()); // an empty data chunk's header ends the file
}

std::string Item(const char* id, const std::string& text, std::int64_t sizeField = -1) {
    WavBuilder::Buffer head;
    WavBuilder::PutId(head, id);
    WavBuilder::Put(head, WavBuilder::Field(sizeField, text.size()), 4);
    return std::string(head.begin(), head.end()) + text + (text.size() & 1 ? std::string(1, '\0') : "");
}

TEST(WavReaderTest, ReadsInfoTagsAndIgnoresBrokenOnes) {
    const Bytes samples = WavBuilder::Pattern(100, 5);
    auto before = [](std::string body) { return [body](WavBuilder& w) { w.extraChunkBefore = "INFO" + body; }; };
    auto open = [](WavBuilder& w) { w.riffSizeField = 0; };
    auto after = [](std::string chunk) { return [chunk](Bytes& b) { b.insert(b.end(), chunk.begin(), chunk.end()); }; };
    const std::string cafe = Item("INAM", std::string("Caf\xE9\0", 6));
    const struct {
        const char* name;
        Change change;
        Edit edit;
        AudioTags tags;
    } cases[] = {
        {"before fmt", before(Item("INAM", std::string("Song\0\0", 6)) + Item("IART", "Band") + Item("IPRD", "LP")), {},
         {"Song", "Band", "LP"}},
        {"Latin-1 after the data", open, after(Item("LIST", "INFO" + cafe + Item("IART", "Caf\xC3\xA9"))),
         {"Caf\xC3\xA9", "Caf\xC3\xA9", ""}},
        {"past U+10FFFF is Latin-1", before(Item("INAM", "\xF4\x90\x80\x80")), {}, {"\xC3\xB4\xC2\x90\xC2\x80\xC2\x80", "", ""}},
        {"the first of two tags", before(Item("INAM", "One") + Item("INAM", "Two")), {}, {"One", "", ""}},
        {"lying item length", before(Item("INAM", "Song") + Item("IART", "Band", 5)), {}, {"Song", "", ""}},
        {"LIST past the end", open, after(Item("LIST", "INFO" + Item("INAM", "Song")).substr(0, 12)), {}},
        {"other LIST type", [](WavBuilder& w) { w.extraChunkBefore = "adtl" + Item("INAM", "Song"); }, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = Made(samples, c.change, c.edit);
        EXPECT_EQ(ReadAll(file), samples);
        AudioTags tags = WavReader(std::make_unique<MemorySource>(file)).Tags();
        EXPECT_EQ(std::tie(tags.title, tags.performer, tags.album), std::tie(c.tags.title, c.tags.performer, c.tags.album));
    }
}

} // namespace
