// The engine's audio files through AudioFiles as the engine opens them: tones of every format
// it decodes (made at build time by make_tones.sh) come out at CD rate with their length,
// frequency and level, and damaged files are refused with the engine's codes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "engine/RecordingEngineTypes.h"
#include "recorder/AudioFiles.h"
#include "recorder/EngineFailure.h"

namespace {

constexpr std::uint64_t kToneFrames = 5 * 44100;
constexpr double kToneHz = 1000;
// The tone is made at half scale in mono and spread over both channels at -3 dB.
constexpr double kToneRms = 0.5 * 32767 / 2;

std::wstring Tone(const std::string& name) {
    std::string path = std::string("Z:") + FENNEL_BINARY_DIR + "/tones/" + name;
    return std::wstring(path.begin(), path.end());
}

struct Decoded {
    std::vector<std::int16_t> left, right;
    std::uint64_t promised = 0;
};

Decoded Decode(const std::wstring& path) {
    std::unique_ptr<AudioSource> source = AudioFiles::Open(path);
    Decoded d;
    d.promised = source->OutputBytes() / 4;
    std::vector<std::uint8_t> buffer(10000); // not a multiple of the decoder's blocks
    while (std::size_t got = source->Read(buffer.data(), buffer.size()))
        for (std::size_t i = 0; i < got; i += 4) {
            d.left.push_back(static_cast<std::int16_t>(buffer[i] | (buffer[i + 1] << 8)));
            d.right.push_back(static_cast<std::int16_t>(buffer[i + 2] | (buffer[i + 3] << 8)));
        }
    return d;
}

// Frequency from the rising edges between from and the end, counted with hysteresis so that
// a codec's low noise (in silence, around the ends) adds no edges.
double Frequency(const std::vector<std::int16_t>& s, std::size_t from) {
    constexpr int kThreshold = 2000;
    std::size_t first = 0, last = 0, count = 0;
    bool low = false;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] < -kThreshold) low = true;
        if (low && s[i] > kThreshold) {
            low = false;
            if (count++ == 0) first = i;
            last = i;
        }
    }
    return count < 2 ? 0 : static_cast<double>(count - 1) * 44100.0 / static_cast<double>(last - first);
}

double Rms(const std::vector<std::int16_t>& s, std::size_t from) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i + 2048 < s.size(); ++i, ++n) sum += static_cast<double>(s[i]) * s[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

TEST(DecoderTest, TonesComeOutAtCdRateWithTheirLengthFrequencyAndLevel) {
    const struct {
        const char* file;
        std::uint64_t tolerance; // frames the decoded length may differ by
        std::size_t from;        // first frame compared
    } rows[] = {
        {"tone.wav", 0, 0},
        {"tone.flac", 0, 0},
        {"tone.mp3", 0, 0},       // delay and padding trimmed from the encoder's tag
        {"mono32k.mp3", 1, 0},    // resampled; the trim scaled to CD rate
        {"untagged.mp3", 1105 + 1152, 0}, // no tag: the encoder's delay and padding stay
        {"tone48k.flac", 64, 0},  // resampled: the filter's ends
        {"tone.m4a", 1024, 0},    // priming trimmed by the container's edit list; the last frame short
        {"tone.aac", 2048, 0},    // no container: the encoder's priming stays
        // Under Wine the first 2048 frames of WMA come out as noise (the decoder's first
        // block; clean in GStreamer itself and on Windows), so its tone is judged after them.
        {"tone.wma", 2048, 2048},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        Decoded d;
        ASSERT_NO_THROW(d = Decode(Tone(row.file)));
        EXPECT_EQ(d.promised, d.left.size());
        EXPECT_LE(std::abs(static_cast<long long>(d.left.size()) - static_cast<long long>(kToneFrames)),
                  static_cast<long long>(row.tolerance));
        for (const auto* channel : {&d.left, &d.right}) {
            EXPECT_NEAR(kToneHz, Frequency(*channel, row.from), kToneHz * 0.002);
            EXPECT_NEAR(1.0, Rms(*channel, row.from) / kToneRms, 0.06); // within half a decibel
        }
    }
}

TEST(DecoderTest, TrimmedMp3StartsWhereItsSourceStarted) {
    // One second of silence, then the tone: the first loud frame is where the source had it.
    Decoded d = Decode(Tone("onset.mp3"));
    std::size_t onset = 0;
    while (onset < d.left.size() && std::abs(d.left[onset]) < 3000) ++onset;
    EXPECT_NEAR(44100.0, static_cast<double>(onset), 8.0);
    EXPECT_EQ(kToneFrames, d.left.size());
}

TEST(DecoderTest, DamagedFilesAreRefusedWithTheEngineCodes) {
    const std::string folder = std::string("Z:") + FENNEL_BINARY_DIR + "/test-tmp/decoder";
    CreateDirectoryA((std::string("Z:") + FENNEL_BINARY_DIR + "/test-tmp").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string noise(30000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    const struct {
        const char* name;
        std::string bytes;
        std::int32_t code;
    } rows[] = {
        {"noise.mp3", noise, RECORDING_E_UNREADABLE_FILE_TYPE},
        {"empty.wma", "", RECORDING_E_UNREADABLE_FILE_TYPE},
        {"text.flac", "not audio at all\r\n", RECORDING_E_UNREADABLE_FILE_TYPE},
        {"noise.wav", noise, RECORDING_E_UNREADABLE_FILE_TYPE},
        {"missing.mp3", "", RECORDING_E_FILE_NOT_FOUND},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = folder + "/" + row.name;
        if (std::string(row.name).find("missing") == std::string::npos)
            std::ofstream(path, std::ios::binary) << row.bytes;
        const std::wstring wide(path.begin(), path.end());
        for (bool probe : {true, false}) {
            try {
                if (probe) AudioFiles::Probe(wide);
                else AudioFiles::Open(wide);
                ADD_FAILURE() << "accepted";
            } catch (const EngineFailure& e) {
                EXPECT_EQ(row.code, e.Code()) << e.Context();
            }
        }
    }
}

} // namespace
