// Levelling a track: the loudness meter (K-weighting, gating blocks and the four-times
// oversampled true peak) and the gain stage (scaling, dither, rounding) over 60 s of 16-bit
// stereo, fed in pieces of 64 KiB. Reported as bytes per second and as a multiple of real
// time ("x", seconds of audio per second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "recorder/LoudnessGain.h"
#include "recorder/LoudnessMeter.h"

namespace {

constexpr std::size_t kSeconds = 60;
constexpr std::size_t kPiece = 64 * 1024;

// Two tones and a little noise, different in each channel, near -12 dBFS.
std::vector<std::uint8_t> Audio() {
    std::vector<std::uint8_t> audio;
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < kSeconds * 44100; ++i) {
        const double t = static_cast<double>(i) / 44100;
        for (double hz : {440.0, 1250.0}) {
            noise = noise * 1664525u + 1013904223u;
            const double v = 6000 * std::sin(2 * std::numbers::pi * hz * t) + 2000 * std::sin(2 * std::numbers::pi * 3 * hz * t) +
                             static_cast<double>(noise >> 22) - 512;
            const auto s = static_cast<std::int16_t>(std::lround(v));
            audio.push_back(static_cast<std::uint8_t>(s & 0xFF));
            audio.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
    }
    return audio;
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["x"] = benchmark::Counter(static_cast<double>(state.iterations() * kSeconds), benchmark::Counter::kIsRate);
}

void Meter(benchmark::State& state) {
    const std::vector<std::uint8_t> audio = Audio();
    for (auto _ : state) {
        LoudnessMeter meter;
        for (std::size_t at = 0; at < audio.size(); at += kPiece)
            meter.Add(audio.data() + at, std::min(kPiece, audio.size() - at));
        benchmark::DoNotOptimize(meter.IntegratedLufs());
        benchmark::DoNotOptimize(meter.TruePeakDbtp());
    }
    Report(state, audio.size());
}
BENCHMARK(Meter)->Unit(benchmark::kMillisecond);

void Gain(benchmark::State& state) {
    const std::vector<std::uint8_t> audio = Audio();
    std::vector<std::uint8_t> work(audio.size());
    for (auto _ : state) {
        state.PauseTiming();
        work = audio;
        state.ResumeTiming();
        LoudnessGain gain(-3.5, 1);
        for (std::size_t at = 0; at < work.size(); at += kPiece) gain.Apply(work.data() + at, std::min(kPiece, work.size() - at));
        benchmark::DoNotOptimize(work.data());
    }
    Report(state, audio.size());
}
BENCHMARK(Gain)->Unit(benchmark::kMillisecond);

} // namespace
