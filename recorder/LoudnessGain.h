#pragma once
// LoudnessGain: levels a track towards a target loudness. GainDb chooses the gain (never more
// than keeps the true peak under a ceiling); an instance applies one gain to the track's CD
// frames in place, front to back: each sample is scaled, given triangular dither of +-1 LSB
// from a small generator seeded per track (the same seed gives the same bytes), rounded and
// clamped to 16 bits. A gain of exactly 0 dB leaves the bytes as they are. One instance per
// track; not shared between threads.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "support/ContextException.h"

class LoudnessGain {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(partial_frame, base_exception); // a piece that does not end on a frame

    static constexpr double kTargetLufs = -18.0;
    static constexpr double kCeilingDbtp = -1.0;

    // min(target - lufs, ceiling - truePeak) in dB; 0 when the loudness is unmeasurable
    // (no block passed the gates: silence or too short a track).
    static double GainDb(std::optional<double> lufs, double truePeakDbtp, double targetLufs = kTargetLufs,
                         double ceilingDbtp = kCeilingDbtp);

    LoudnessGain(double gainDb, std::uint64_t seed);

    double Db() const { return db_; }
    // frames: 16-bit stereo little-endian; bytes a multiple of 4 (partial_frame otherwise,
    // and nothing is changed). The dither goes on where the previous piece stopped.
    void Apply(std::uint8_t* frames, std::size_t bytes);

private:
    double db_;
    double factor_;
    std::uint64_t state_; // of the dither's generator
};
