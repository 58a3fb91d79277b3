// Tones of every format AudioFiles decodes (made by make_tones.sh) come out at CD rate with
// their length, frequency and level.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "recorder/AudioFiles.h"

namespace {

constexpr long long kToneFrames = 5 * 44100;
constexpr double kToneRms = 0.5 * 32767 / 2; // half scale, spread over two channels at -3 dB

std::string Path(const std::string& name) { return std::string("Z:") + FENNEL_BINARY_DIR + "/" + name; }
std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

// The left channel, after checking that the source delivers what it promised.
std::vector<std::int16_t> Decode(const std::string& tone) {
    std::unique_ptr<AudioSource> source = AudioFiles::Open(Wide(Path("tones/" + tone)));
    std::vector<std::int16_t> left;
    std::vector<std::uint8_t> buffer(10000); // not a multiple of the decoder's blocks
    while (std::size_t got = source->Read(buffer.data(), buffer.size()))
        for (std::size_t i = 0; i < got; i += 4) left.push_back(static_cast<std::int16_t>(buffer[i] | (buffer[i + 1] << 8)));
    EXPECT_EQ(source->OutputBytes() / 4, left.size());
    return left;
}

TEST(DecoderTest, TonesComeOutAtCdRateWithTheirLengthFrequencyAndLevel) {
    const struct {
        const char* file;
        long long tolerance; // frames the decoded length may differ by
        std::size_t from;    // first frame judged
    } rows[] = {
        {"tone.wav", 0, 0},
        {"tone.flac", 0, 0},
        {"tone.mp3", 0, 0},               // delay and padding trimmed as the encoder's tag says
        {"mono32k.mp3", 1, 0},            // resampled; the trim scaled to CD rate
        {"untagged.mp3", 1105 + 1152, 0}, // no tag: the encoder's delay and padding stay
        {"tone48k.flac", 64, 0},          // resampled: the filter's ends
        {"tone.m4a", 1024, 0},            // the container's edit list trims the priming
        {"tone.aac", 2048, 0},            // no container: the priming stays
        // Under Wine the first 2048 frames of WMA come out as noise (the decoder's first
        // block; clean in GStreamer itself and on Windows), so its tone is judged after them.
        {"tone.wma", 2048, 2048},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        std::vector<std::int16_t> s;
        ASSERT_NO_THROW(s = Decode(row.file));
        EXPECT_LE(std::abs(static_cast<long long>(s.size()) - kToneFrames), row.tolerance);
        // Rising edges with hysteresis, so that low codec noise adds none; the level up to
        // the last 2048 frames, where resampler and codecs ramp down.
        std::size_t first = 0, last = 0, edges = 0;
        double sum = 0;
        bool low = false;
        for (std::size_t i = row.from; i < s.size(); ++i) {
            if (s[i] < -2000) low = true;
            if (low && s[i] > 2000) {
                low = false;
                last = i;
                if (edges++ == 0) first = i;
            }
            if (i + 2048 < s.size()) sum += static_cast<double>(s[i]) * s[i];
        }
        ASSERT_GT(edges, 2u);
        EXPECT_NEAR(1000.0, static_cast<double>(edges - 1) * 44100 / static_cast<double>(last - first), 2.0);
        EXPECT_NEAR(1.0, std::sqrt(sum / static_cast<double>(s.size() - 2048 - row.from)) / kToneRms, 0.06);
    }
}

TEST(DecoderTest, TrimmedMp3StartsWhereItsSourceStarted) {
    // One second of silence, then the tone: the first loud frame is where the source had it.
    std::vector<std::int16_t> s = Decode("onset.mp3");
    std::size_t onset = 0;
    while (onset < s.size() && std::abs(s[onset]) < 3000) ++onset;
    EXPECT_NEAR(44100.0, static_cast<double>(onset), 8.0);
    EXPECT_EQ(static_cast<std::size_t>(kToneFrames), s.size());
}

} // namespace
