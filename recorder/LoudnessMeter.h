#pragma once
// LoudnessMeter: the loudness and peaks of one track of audio CD frames (16-bit stereo,
// 44,100 Hz, little-endian), fed front to back in pieces of whole frames. Loudness is the
// gated integrated loudness of ITU-R BS.1770-4 in LUFS: K-weighting, mean square over 400 ms
// blocks that start every 100 ms, both channels weighted 1.0, blocks kept that lie above
// -70 LUFS and above the mean of those less 10 LU. The true peak is the largest absolute value
// of the audio oversampled four times, in dB of full scale (32768). One meter per track; not
// shared between threads. A copy measures on independently.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "support/ContextException.h"

class LoudnessMeter {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(partial_frame, base_exception); // a piece that does not end on a frame

    static constexpr unsigned kSampleRate = 44100;
    static constexpr std::size_t kFrameBytes = 4;
    static constexpr std::size_t kStepFrames = kSampleRate / 10; // 100 ms between block starts
    static constexpr std::size_t kBlockFrames = 4 * kStepFrames;  // 400 ms gating block

    // bytes must be a multiple of kFrameBytes (partial_frame otherwise, and nothing is measured).
    void Add(const std::uint8_t* frames, std::size_t bytes);

    // Gated loudness of every complete block so far; nothing when no block passes the gates
    // (digital silence, audio below -70 LUFS, or less than 400 ms of audio).
    std::optional<double> IntegratedLufs() const;
    // dBTP of the audio so far, including the ringing past its last sample; -infinity for
    // digital silence. Never below the sample peak.
    double TruePeakDbtp() const;
    // Largest absolute sample value so far, 0 to 32768.
    int SamplePeak() const { return samplePeak_; }
    std::uint64_t Frames() const { return frames_; }

    // Loudness of the tracks' blocks gated together as one programme (what an album's shared
    // gain is measured by); blocks never span two tracks. Nothing when no block passes.
    static std::optional<double> AlbumLufs(const std::vector<const LoudnessMeter*>& tracks);

private:
    static constexpr std::size_t kChunkFrames = 1024; // frames converted and filtered at a time
    static constexpr std::size_t kHistory = 47; // older samples the true-peak interpolator weighs

    void AddChunk(const std::uint8_t* frames, std::size_t count);
    // K-weights count samples of each channel (after kHistory older ones) into the blocks.
    void Weight(const float* left, const float* right, std::size_t count);
    void CloseStep();

    // K-weighting filter state: two biquads per channel, two delays each.
    std::array<double, 8> filterState_{};
    double stepPower_ = 0;              // sum of squares (in LSB) of the current 100 ms step
    std::size_t stepFill_ = 0;          // frames in the current step
    std::array<double, 4> lastSteps_{}; // the latest complete steps, by count modulo 4
    std::uint64_t steps_ = 0;           // complete steps
    std::vector<double> blocks_;        // mean square (full scale 1.0) of each complete block
    std::array<std::array<float, kHistory>, 2> history_{}; // last samples per channel, oldest first
    float interpolatedPeak_ = 0;        // largest oversampled absolute value, in LSB
    int samplePeak_ = 0;
    std::uint64_t frames_ = 0;
};
