#include "recorder/LoudnessGain.h"
#include "recorder/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <utility>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double kOff = -std::numeric_limits<double>::infinity(); // a silent channel

// Seconds of a sine in each channel at a level in dBFS (0 dBFS: a peak of full scale).
struct Tone {
    double seconds, leftDbfs, rightDbfs, hz = 997, phase = 0;
};

void Put(Bytes& out, long left, long right) {
    for (long v : {std::clamp(left, -32768L, 32767L), std::clamp(right, -32768L, 32767L)})
        out.insert(out.end(), {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF)});
}

// Tones one after the other, faded in and out over 10 ms so that the edges do not ring.
Bytes Make(const std::vector<Tone>& tones) {
    Bytes out;
    long total = 0, at = 0;
    for (const Tone& t : tones) total += std::lround(t.seconds * 44100);
    for (const Tone& t : tones) {
        for (long i = 0; i < std::lround(t.seconds * 44100); ++i, ++at) {
            const double edge = std::min({at, total - 1 - at, 441L}) / 441.0;
            const double s = 32768 * std::sin(2 * std::numbers::pi * t.hz * static_cast<double>(i) / 44100 + t.phase) *
                             (0.5 - 0.5 * std::cos(std::numbers::pi * edge));
            Put(out, std::lround(s * std::pow(10.0, t.leftDbfs / 20)), std::lround(s * std::pow(10.0, t.rightDbfs / 20)));
        }
    }
    return out;
}

LoudnessMeter Measure(const Bytes& audio, std::size_t piece = 1 << 16) {
    LoudnessMeter meter;
    for (std::size_t at = 0; at < audio.size(); at += piece) meter.Add(audio.data() + at, std::min(piece, audio.size() - at));
    return meter;
}

TEST(LoudnessTest, MeasuresTonesGatesQuietPartsAndGivesTheGainTowardsTheTarget) {
    const struct {
        const char* name;
        std::vector<Tone> tones;
        std::optional<double> lufs;
        double gainDb;
    } cases[] = {
        // A full-scale sine of 997 Hz in one channel reads -3.01; in both channels 3.01 more.
        {"0 dBFS left", {{5, 0, kOff}}, -3.01, -14.99},
        {"-20 dBFS left", {{5, -20, kOff}}, -23.01, 5.01},
        {"-23 dBFS both", {{5, -23, -23}}, -23.0, 5.0},
        // 47 blocks of the loud tone, 3 across the change holding 3, 2 and 1 steps of it (all
        // kept); the quiet blocks fall under the relative gate: 10 log10(48.5 / 50).
        {"loud, then 25 dB quieter", {{5, -20, -20}, {10, -45, -45}}, -20.13, 2.13},
        // 7 blocks at -60 and 3 across the change are kept, the rest lies under -70 (and would
        // lower the relative gate to include itself): 10 log10((8.5 + 1.5 10^-1.2) / 10).
        {"quiet, then under -70", {{1, -60, -60}, {10, -72, -72}}, -60.66, 42.66},
        // 6 dB apart, everything kept: 10 log10(48.5 (1 + 10^-0.6) / 97).
        {"loud, then 6 dB quieter", {{5, -20, -20}, {5, -26, -26}}, -22.04, 4.04},
        {"digital silence", {{5, kOff, kOff}}, std::nullopt, 0},
        {"a loud tone shorter than a block", {{0.39, 0, 0}}, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LoudnessMeter meter = Measure(Make(c.tones));
        ASSERT_EQ(meter.IntegratedLufs().has_value(), c.lufs.has_value());
        EXPECT_NEAR(meter.IntegratedLufs().value_or(0), c.lufs.value_or(0), 0.01);
        EXPECT_NEAR(LoudnessGain::GainDb(meter.IntegratedLufs(), meter.TruePeakDbtp()), c.gainDb, 0.01);
    }
    EXPECT_EQ(Measure(Make({{1, kOff, kOff}})).TruePeakDbtp(), kOff);
}

TEST(LoudnessTest, TruePeakFindsValuesBetweenSamplesAndPiecesMeasureAlike) {
    // A quarter of the rate, sampled 45 degrees off its crests: samples at 0.707 of the peak.
    const Bytes audio = Make({{2, -6.0206, kOff, 11025, std::numbers::pi / 4}});
    const LoudnessMeter whole = Measure(audio);
    EXPECT_EQ(whole.SamplePeak(), 11585);
    EXPECT_NEAR(whole.TruePeakDbtp(), -6.02, 0.02);
    for (std::size_t piece : {4u, 4u * 1023, 4u * 4411}) {
        const LoudnessMeter pieces = Measure(audio, piece);
        EXPECT_EQ(std::pair(pieces.TruePeakDbtp(), pieces.IntegratedLufs()),
                  std::pair(whole.TruePeakDbtp(), whole.IntegratedLufs())) << piece;
    }
    LoudnessMeter meter;
    EXPECT_THROW(meter.Add(Bytes(8).data(), 6), LoudnessMeter::partial_frame);
}

TEST(LoudnessTest, AnAlbumGatesTheBlocksOfAllItsTracksTogether) {
    const LoudnessMeter loud = Measure(Make({{5, -20, -20}})), quieter = Measure(Make({{5, -30, -30}})),
                        quiet = Measure(Make({{5, -45, -45}})), silent = Measure(Make({{2, kOff, kOff}}));
    EXPECT_NEAR(LoudnessMeter::AlbumLufs({&loud, &quieter}).value_or(0), -22.60, 0.01); // 10 log10((1 + 0.1) / 2)
    EXPECT_NEAR(LoudnessMeter::AlbumLufs({&quiet, &silent, &loud}).value_or(0), -20.0, 0.01);
    EXPECT_FALSE(LoudnessMeter::AlbumLufs({&silent, &silent}));
}

TEST(LoudnessTest, GainReachesTheTargetWithoutRaisingTheTruePeakOverTheCeiling) {
    Bytes square, click;
    for (int i = 0; i < 441; ++i) Put(square, i % 44 < 22 ? 32767 : -32768, i % 44 < 22 ? 32767 : -32768);
    Put(click, 16384, 16384);
    const struct {
        const char* name;
        Bytes piece; // in the middle of 5 s of a -30 dBFS tone
        bool fromCeiling;
    } cases[] = {
        {"quiet tone raised", {}, false},
        {"full-scale square burst: lowered", square, true},
        {"-6 dBFS click: raised as far as the ceiling allows", click, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes audio = Make({{5, -30, -30}});
        std::copy(c.piece.begin(), c.piece.end(), audio.begin() + audio.size() / 8 * 4);
        const LoudnessMeter before = Measure(audio);
        const double gain = LoudnessGain::GainDb(before.IntegratedLufs(), before.TruePeakDbtp());
        EXPECT_EQ(gain == LoudnessGain::kCeilingDbtp - before.TruePeakDbtp(), c.fromCeiling) << gain;
        LoudnessGain(gain, 1).Apply(audio.data(), audio.size());
        const LoudnessMeter after = Measure(audio);
        EXPECT_LE(after.TruePeakDbtp(), LoudnessGain::kCeilingDbtp + 0.005);
        EXPECT_LE(after.SamplePeak(), 29205); // -1 dBFS: nothing clipped on the way
        if (!c.fromCeiling) {
            EXPECT_NEAR(after.IntegratedLufs().value_or(0), LoudnessGain::kTargetLufs, 0.01);
        }
    }
}

TEST(LoudnessTest, ZeroGainIsBitExactAndDitherIsTriangularUnbiasedAndSeeded) {
    const Bytes audio = Make({{1, -3, -10, 441}});
    auto applied = [&](double db, std::uint64_t seed, std::size_t piece) {
        Bytes out = audio;
        LoudnessGain gain(db, seed);
        for (std::size_t at = 0; at < out.size(); at += piece) gain.Apply(out.data() + at, std::min(piece, out.size() - at));
        return out;
    };
    EXPECT_EQ(applied(0.0, 1, 4096), audio);
    EXPECT_EQ(applied(-3.0, 1, 4 * 333), applied(-3.0, 1, audio.size()));
    EXPECT_NE(applied(-3.0, 1, 4096), applied(-3.0, 2, 4096));

    // 1000 halved: 500 plus dither in [-1, 1), a quarter of it beyond +-0.5 LSB, rounded.
    Bytes constant;
    for (int i = 0; i < 100000; ++i) Put(constant, 1000, 1000);
    LoudnessGain(-20 * std::log10(2.0), 9).Apply(constant.data(), constant.size());
    std::map<int, double> share;
    for (std::size_t i = 0; i < constant.size(); i += 2)
        share[static_cast<std::int16_t>(constant[i] | (constant[i + 1] << 8))] += 1 / 200000.0;
    ASSERT_EQ(share.size(), 3u);
    EXPECT_NEAR(share[499], 0.125, 0.005);
    EXPECT_NEAR(share[500], 0.75, 0.005);
    EXPECT_NEAR(share[501], 0.125, 0.005);
    EXPECT_THROW(LoudnessGain(1.0, 1).Apply(constant.data(), 3), LoudnessGain::partial_frame);
}

} // namespace
