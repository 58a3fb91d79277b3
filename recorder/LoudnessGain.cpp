#include "recorder/LoudnessGain.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// One step of a 64-bit splitmix generator: 64 well-mixed bits per call.
inline std::uint64_t Next(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// The sum of two uniform values in [-0.5, 0.5): triangular in [-1, 1), mean 0.
inline double Dither(std::uint64_t& state) {
    const std::uint64_t bits = Next(state);
    constexpr double kScale = 1.0 / 4294967296.0;
    return static_cast<double>(bits >> 32) * kScale + static_cast<double>(bits & 0xFFFFFFFFu) * kScale - 1.0;
}

inline std::uint8_t* Scale(std::uint8_t* p, double factor, std::uint64_t& state) {
    const int sample = static_cast<std::int16_t>(p[0] | (p[1] << 8));
    // Shifted to be positive so that truncation rounds down; clamped to the 16-bit range.
    const double shifted = std::clamp(sample * factor + Dither(state) + 32768.5, 0.0, 65535.0);
    const int out = static_cast<int>(shifted) - 32768;
    p[0] = static_cast<std::uint8_t>(out & 0xFF);
    p[1] = static_cast<std::uint8_t>((out >> 8) & 0xFF);
    return p + 2;
}

} // namespace

double LoudnessGain::GainDb(std::optional<double> lufs, double truePeakDbtp, double targetLufs, double ceilingDbtp) {
    if (!lufs) return 0;
    return std::min(targetLufs - *lufs, ceilingDbtp - truePeakDbtp);
}

LoudnessGain::LoudnessGain(double gainDb, std::uint64_t seed)
    : db_(gainDb), factor_(std::pow(10.0, gainDb / 20)), state_(seed) {}

void LoudnessGain::Apply(std::uint8_t* frames, std::size_t bytes) {
    if (bytes % 4 != 0)
        FENNEL_THROW(partial_frame, "LoudnessGain::Apply()", ("piece of " + std::to_string(bytes) + " bytes").c_str());
    if (db_ == 0) return; // bit for bit: no scaling, no dither
    std::uint64_t state = state_;
    for (std::uint8_t* p = frames; p != frames + bytes;) p = Scale(p, factor_, state);
    state_ = state;
}
