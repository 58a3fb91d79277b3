#include "recorder/WavReader.h"

#include <gtest/gtest.h>

#include <functional>

#include "recorder/MemorySource.h"
#include "tests/recorder/WavBuilder.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::vector<std::uint8_t>& file, std::size_t piece = 1 << 16) {
    WavReader reader(std::make_unique<MemorySource>(file));
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> buffer(piece);
    while (std::size_t n = reader.Read(buffer.data(), buffer.size())) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    EXPECT_EQ(out.size(), reader.OutputBytes());
    return out;
}

struct ConversionCase {
    const char* name;
    std::uint16_t formatTag, channels, bits;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> expected; // 16-bit stereo little-endian
};

TEST(WavReaderTest, ConvertsEveryPcmLayoutToSixteenBitStereo) {
    const ConversionCase cases[] = {
        {"8-bit mono", 1, 1, 8, {0x00, 0x80, 0xFF}, {0x00, 0x80, 0x00, 0x80, 0, 0, 0, 0, 0x00, 0x7F, 0x00, 0x7F}},
        {"8-bit stereo", 1, 2, 8, {0x81, 0x7F}, {0x00, 0x01, 0x00, 0xFF}},
        {"16-bit mono", 1, 1, 16, {0x34, 0x12, 0xFE, 0xFF}, {0x34, 0x12, 0x34, 0x12, 0xFE, 0xFF, 0xFE, 0xFF}},
        {"16-bit stereo", 1, 2, 16, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"24-bit mono", 1, 1, 24, {0x11, 0x22, 0x33}, {0x22, 0x33, 0x22, 0x33}},
        {"24-bit stereo", 1, 2, 24, {0x11, 0x22, 0x33, 0x44, 0x55, 0x86}, {0x22, 0x33, 0x55, 0x86}},
        {"extensible 24-bit stereo", 0xFFFE, 2, 24, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, {0x22, 0x33, 0x55, 0x66}},
        {"12 bits in 16", 1, 2, 12, {0x10, 0x80, 0x20, 0x7F}, {0x10, 0x80, 0x20, 0x7F}},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.name);
        WavBuilder wav;
        wav.formatTag = c.formatTag;
        wav.channels = c.channels;
        wav.bitsPerSample = c.bits;
        wav.samples = c.input;
        EXPECT_EQ(ReadAll(wav.Bytes()), c.expected);
    }
}

TEST(WavReaderTest, ReadsInAnyPieceSizeAndDropsATrailingPartialFrame) {
    WavBuilder wav;
    wav.channels = 1;
    wav.bitsPerSample = 24;
    for (int i = 0; i < 3000; ++i) wav.samples.push_back(static_cast<std::uint8_t>(i * 13));
    wav.samples.push_back(0xAB); // 3001 bytes: a third of a frame too many
    std::vector<std::uint8_t> whole = ReadAll(wav.Bytes());
    EXPECT_EQ(whole.size(), 1000u * 4);
    for (std::size_t piece : {4u, 6u, 4096u, 4099u}) EXPECT_EQ(ReadAll(wav.Bytes(), piece), whole) << piece;
}

TEST(WavReaderTest, ToleratesHarmlessOddities) {
    const std::vector<std::uint8_t> samples = WavBuilder::Pattern(100, 3);
    const std::vector<std::pair<const char*, std::function<void(WavBuilder&)>>> cases = {
        {"odd-sized chunk before fmt", [](WavBuilder& w) { w.extraChunkBefore = "abc"; }},
        {"fmt after data", [](WavBuilder& w) { w.fmtAfterData = true; }},
        {"open data size", [](WavBuilder& w) { w.dataSizeField = 0xFFFFFFFF; }},
        {"open RIFF size", [](WavBuilder& w) { w.riffSizeField = 0; }},
        {"RIFF size too large", [](WavBuilder& w) { w.riffSizeField = 0x7FFFFFFF; }},
        {"longer fmt chunk", [](WavBuilder& w) { w.fmtSizeField = 18; }},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        WavBuilder wav;
        wav.samples = samples;
        change(wav);
        EXPECT_EQ(ReadAll(wav.Bytes()), samples);
    }
}

TEST(WavReaderTest, IgnoresBytesAfterTheRiffSize) {
    WavBuilder wav;
    wav.samples = WavBuilder::Pattern(10, 1);
    std::vector<std::uint8_t> file = wav.Bytes();
    file.insert(file.end(), {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadAll(file), wav.samples);
}

enum class Failure { NotWav, Malformed, Unsupported };

TEST(WavReaderTest, RefusesBrokenLyingAndForeignFiles) {
    struct Case {
        const char* name;
        std::function<std::vector<std::uint8_t>()> bytes;
        Failure failure;
    };
    auto with = [](std::function<void(WavBuilder&)> change) {
        return [change] {
            WavBuilder wav;
            wav.samples = WavBuilder::Pattern(50, 2);
            change(wav);
            return wav.Bytes();
        };
    };
    auto truncated = [](std::size_t keep) {
        return [keep] {
            WavBuilder wav;
            wav.samples = WavBuilder::Pattern(50, 2);
            std::vector<std::uint8_t> b = wav.Bytes();
            b.resize(keep);
            return b;
        };
    };
    const Case cases[] = {
        {"empty file", [] { return std::vector<std::uint8_t>{}; }, Failure::NotWav},
        {"text file", [] { std::string t = "just some text, not audio"; return std::vector<std::uint8_t>(t.begin(), t.end()); }, Failure::NotWav},
        {"big-endian RIFX", with([](WavBuilder&) {}) , Failure::NotWav},
        {"cut inside the fmt chunk", truncated(30), Failure::Malformed},
        {"cut inside the samples", truncated(100), Failure::Malformed},
        {"no data chunk", truncated(36), Failure::Malformed},
        {"data size beyond the file", with([](WavBuilder& w) { w.dataSizeField = 1000000; }), Failure::Malformed},
        {"block size lies", with([](WavBuilder& w) { w.blockAlign = 3; }), Failure::Malformed},
        {"zero block size", with([](WavBuilder& w) { w.blockAlign = 0; }), Failure::Malformed},
        {"zero channels", with([](WavBuilder& w) { w.channels = 0; w.blockAlign = 4; }), Failure::Malformed},
        {"zero rate", with([](WavBuilder& w) { w.sampleRate = 0; }), Failure::Malformed},
        {"short fmt chunk", with([](WavBuilder& w) { w.fmtSizeField = 14; }), Failure::Malformed},
        {"fmt chunk past the end", with([](WavBuilder& w) { w.fmtSizeField = 0x10000; w.fmtAfterData = true; }), Failure::Malformed},
        {"chunk past the end", with([](WavBuilder& w) { w.extraChunkBefore = "abc"; w.riffSizeField = 14; }), Failure::Malformed},
        {"48 kHz", with([](WavBuilder& w) { w.sampleRate = 48000; }), Failure::Unsupported},
        {"32-bit", with([](WavBuilder& w) { w.bitsPerSample = 32; }), Failure::Unsupported},
        {"six channels", with([](WavBuilder& w) { w.channels = 6; }), Failure::Unsupported},
        {"floating point", with([](WavBuilder& w) { w.formatTag = 3; }), Failure::Unsupported},
        {"extensible float", with([](WavBuilder& w) { w.formatTag = 0xFFFE; w.subFormat = 3; }), Failure::Unsupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = c.bytes();
        if (std::string(c.name) == "big-endian RIFX") bytes[3] = 'X';
        auto read = [&] { ReadAll(bytes); };
        switch (c.failure) {
        case Failure::NotWav: EXPECT_THROW(read(), WavReader::not_wav); break;
        case Failure::Malformed: EXPECT_THROW(read(), WavReader::malformed); break;
        case Failure::Unsupported: EXPECT_THROW(read(), WavReader::unsupported); break;
        }
    }
}

// A source whose file shrank after its size was taken.
class ShrinkingSource : public MemorySource {
public:
    ShrinkingSource(std::span<const std::uint8_t> bytes, std::uint64_t claimed) : MemorySource(bytes), claimed_(claimed) {}
    std::uint64_t Size() const override { return claimed_; }

private:
    std::uint64_t claimed_;
};

TEST(WavReaderTest, ReportsAFileThatEndsWhileReading) {
    WavBuilder wav;
    wav.samples = WavBuilder::Pattern(1000, 4);
    std::vector<std::uint8_t> file = wav.Bytes();
    std::uint64_t size = file.size();
    file.resize(file.size() - 100);
    WavReader reader(std::make_unique<ShrinkingSource>(file, size));
    std::vector<std::uint8_t> buffer(4000);
    EXPECT_THROW(reader.Read(buffer.data(), buffer.size()), WavReader::read_failure);
}

} // namespace
