#include "recorder/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>

namespace {

constexpr double kLoudnessOffset = -0.691; // LUFS of a block of mean square 1.0 unweighted
constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kRelativeGateLu = -10.0;
constexpr double kLsbPower = 1.0 / (32768.0 * 32768.0); // an LSB squared, full scale being 1.0

// b0 + b1 z^-1 + b2 z^-2 over 1 + a1 z^-1 + a2 z^-2.
struct Biquad {
    double b0, b1, b2, a1, a2;
};

// The two K-weighting stages as tabulated for 48 kHz: the high-frequency shelf of the head
// and the RLB high-pass.
constexpr Biquad kShelf48k{1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241,
                           0.73248077421585};
constexpr Biquad kHighPass48k{1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};

// The same analogue filter at another rate. The bilinear transform is undone (in frequency
// units where the 48 kHz filter's natural frequency f0 sits at tan(pi f0 / 48000)), the
// analogue filter is rescaled so that f0 keeps its place at the new rate, and transformed
// back: f0, Q and the gains of the design stay as they are, only their warping changes.
Biquad AtRate(const Biquad& d, double from, double to) {
    // N(s) / D(s) with z = (1 + s) / (1 - s).
    const double n2 = d.b0 - d.b1 + d.b2, n1 = 2 * (d.b0 - d.b2), n0 = d.b0 + d.b1 + d.b2;
    const double d2 = 1 - d.a1 + d.a2, d1 = 2 * (1 - d.a2), d0 = 1 + d.a1 + d.a2;
    const double warped = std::sqrt(d0 / d2);
    const double f0 = from / std::numbers::pi * std::atan(warped);
    const double r = warped / std::tan(std::numbers::pi * f0 / to); // s -> r s
    const double m2 = n2 * r * r, m1 = n1 * r, e2 = d2 * r * r, e1 = d1 * r;
    const double a0 = e2 + e1 + d0;
    return {(m2 + m1 + n0) / a0, 2 * (n0 - m2) / a0, (m2 - m1 + n0) / a0, 2 * (d0 - e2) / a0, (e2 - e1 + d0) / a0};
}

struct KWeighting {
    Biquad shelf = AtRate(kShelf48k, 48000, LoudnessMeter::kSampleRate);
    Biquad highPass = AtRate(kHighPass48k, 48000, LoudnessMeter::kSampleRate);
};

const KWeighting& Filter() {
    static const KWeighting filter;
    return filter;
}

// Modified Bessel function of the first kind, order 0 (the Kaiser window), by its series.
double BesselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 50 && term > 1e-12 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

constexpr std::size_t kTaps = 48;   // samples each interpolated value is made of
constexpr std::size_t kHalf = kTaps / 2;
constexpr std::size_t kGroup = 8;   // values InterpolatedPeak makes at a time
constexpr std::size_t kPadding = kGroup - 1; // samples it reads past the last one it weighs
constexpr double kKaiserBeta = 6.0; // passband within 0.01 dB to 20 kHz, images 63 dB down

// Weight of a sample d samples away from the point interpolated: a sinc cut off at the
// Nyquist frequency, under a Kaiser window as wide as the taps.
double SincWeight(double d) {
    const double x = d / kHalf;
    return std::sin(std::numbers::pi * d) / (std::numbers::pi * d) * BesselI0(kKaiserBeta * std::sqrt(1 - x * x)) /
           BesselI0(kKaiserBeta);
}

// Four times the rate: between the middle samples w[23] and w[24] of a window of kTaps
// samples (oldest first) lie the points a quarter, a half and three quarters on. The half
// weighs the pair w[m], w[47 - m] alike (middle[m]); the quarter weighs them as the three
// quarters weighs w[47 - m], w[m], so the two are the sum and the difference of what the
// pair's sum and difference make (even[m], odd[m]). Half the multiplications of the direct
// sums. Each point's weights add up to 1 (unit gain at DC).
struct Interpolator {
    std::array<float, kHalf> middle, even, odd;

    Interpolator() {
        std::array<double, kTaps> quarter, half;
        double quarterSum = 0, halfSum = 0;
        for (std::size_t m = 0; m < kTaps; ++m) {
            const double d = static_cast<double>(kHalf - 1) - static_cast<double>(m);
            quarterSum += quarter[m] = SincWeight(d + 0.25);
            halfSum += half[m] = SincWeight(d + 0.5);
        }
        for (std::size_t m = 0; m < kHalf; ++m) {
            middle[m] = static_cast<float>(half[m] / halfSum);
            even[m] = static_cast<float>((quarter[m] + quarter[kTaps - 1 - m]) / (2 * quarterSum));
            odd[m] = static_cast<float>((quarter[m] - quarter[kTaps - 1 - m]) / (2 * quarterSum));
        }
    }
};

const Interpolator& Points() {
    static const Interpolator interpolator;
    return interpolator;
}

// Four floats, worked on at once where the processor can (GCC's vector extension). Never
// passed to or returned from a function: 32-bit x86 without SSE has no ABI for them.
using Lanes = float __attribute__((vector_size(16)));

// Largest absolute interpolated value between the samples x[kHalf - 1 + k] and
// x[kHalf + k] for k below count: x holds count + kTaps - 1 samples and is read kPadding
// further (those are not used). Each value is made by the same operations however the audio
// is cut into pieces, so the peak does not depend on the cutting.
float InterpolatedPeak(const float* x, std::size_t count) {
    const Interpolator& f = Points();
    float peak = 0;
    for (std::size_t k = 0; k < count; k += kGroup) {
        Lanes middle[2] = {}, even[2] = {}, odd[2] = {};
        for (std::size_t m = 0; m < kHalf; ++m) {
            for (std::size_t h = 0; h < 2; ++h) {
                Lanes early, late;
                std::memcpy(&early, x + k + m + 4 * h, sizeof early);
                std::memcpy(&late, x + k + kTaps - 1 - m + 4 * h, sizeof late);
                const Lanes sum = early + late, difference = early - late;
                middle[h] += f.middle[m] * sum;
                even[h] += f.even[m] * sum;
                odd[h] += f.odd[m] * difference;
            }
        }
        Lanes points[3][2];
        for (std::size_t h = 0; h < 2; ++h) {
            points[0][h] = even[h] + odd[h];
            points[1][h] = middle[h];
            points[2][h] = even[h] - odd[h];
        }
        float values[3][kGroup];
        std::memcpy(values, points, sizeof values);
        const std::size_t valid = std::min(kGroup, count - k);
        for (const auto& point : values)
            for (std::size_t j = 0; j < valid; ++j) peak = std::max(peak, std::fabs(point[j]));
    }
    return peak;
}

double Lufs(double meanSquare) { return kLoudnessOffset + 10 * std::log10(meanSquare); }
double MeanSquare(double lufs) { return std::pow(10.0, (lufs - kLoudnessOffset) / 10); }

// The gated loudness of blocks given by their mean squares.
std::optional<double> Gated(const std::vector<const std::vector<double>*>& blockSets) {
    const double absolute = MeanSquare(kAbsoluteGateLufs);
    double sum = 0;
    std::size_t count = 0;
    for (const auto* blocks : blockSets)
        for (double z : *blocks)
            if (z > absolute) sum += z, ++count;
    if (count == 0) return std::nullopt;
    const double gate = std::max(absolute, sum / static_cast<double>(count) * std::pow(10.0, kRelativeGateLu / 10));
    sum = 0;
    count = 0;
    for (const auto* blocks : blockSets)
        for (double z : *blocks)
            if (z > gate) sum += z, ++count;
    if (count == 0) return std::nullopt; // not for real audio: the loudest block lies above the mean
    return Lufs(sum / static_cast<double>(count));
}

inline int Sample(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }

} // namespace

void LoudnessMeter::Add(const std::uint8_t* frames, std::size_t bytes) {
    if (bytes % kFrameBytes != 0)
        FENNEL_THROW(partial_frame, "LoudnessMeter::Add()", ("piece of " + std::to_string(bytes) + " bytes").c_str());
    for (std::size_t count = bytes / kFrameBytes; count > 0;) {
        const std::size_t n = std::min(count, kChunkFrames);
        AddChunk(frames, n);
        frames += n * kFrameBytes;
        count -= n;
    }
}

void LoudnessMeter::AddChunk(const std::uint8_t* frames, std::size_t count) {
    static_assert(kHistory == kTaps - 1);
    std::array<std::array<float, kHistory + kChunkFrames + kPadding>, 2> samples;
    int peak = samplePeak_;
    for (int ch = 0; ch < 2; ++ch) {
        std::copy(history_[ch].begin(), history_[ch].end(), samples[ch].begin());
        std::fill(samples[ch].begin() + static_cast<std::ptrdiff_t>(kHistory + count), samples[ch].end(), 0.0f);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int left = Sample(frames + i * kFrameBytes), right = Sample(frames + i * kFrameBytes + 2);
        samples[0][kHistory + i] = static_cast<float>(left);
        samples[1][kHistory + i] = static_cast<float>(right);
        peak = std::max({peak, std::abs(left), std::abs(right)});
    }
    samplePeak_ = peak;
    Weight(samples[0].data() + kHistory, samples[1].data() + kHistory, count);
    for (int ch = 0; ch < 2; ++ch) {
        interpolatedPeak_ = std::max(interpolatedPeak_, InterpolatedPeak(samples[ch].data(), count));
        std::copy(samples[ch].begin() + static_cast<std::ptrdiff_t>(count),
                  samples[ch].begin() + static_cast<std::ptrdiff_t>(count + kHistory), history_[ch].begin());
    }
    frames_ += count;
}

void LoudnessMeter::Weight(const float* left, const float* right, std::size_t count) {
    const Biquad s = Filter().shelf, h = Filter().highPass;
    // Transposed direct form II; the state is kept in LSB, the power scaled per block.
    auto state = filterState_;
    for (std::size_t i = 0; i < count;) {
        const std::size_t n = std::min(count - i, kStepFrames - stepFill_);
        double power = stepPower_;
        for (const std::size_t end = i + n; i < end; ++i) {
            const double in[2] = {left[i], right[i]};
            for (int ch = 0; ch < 2; ++ch) {
                double* z = state.data() + 4 * ch;
                const double x = in[ch];
                const double y = s.b0 * x + z[0];
                z[0] = s.b1 * x - s.a1 * y + z[1];
                z[1] = s.b2 * x - s.a2 * y;
                const double w = h.b0 * y + z[2];
                z[2] = h.b1 * y - h.a1 * w + z[3];
                z[3] = h.b2 * y - h.a2 * w;
                power += w * w;
            }
        }
        stepPower_ = power;
        stepFill_ += n;
        if (stepFill_ == kStepFrames) CloseStep();
    }
    filterState_ = state;
}

void LoudnessMeter::CloseStep() {
    lastSteps_[steps_ % 4] = stepPower_;
    ++steps_;
    stepPower_ = 0;
    stepFill_ = 0;
    if (steps_ >= 4)
        blocks_.push_back((lastSteps_[0] + lastSteps_[1] + lastSteps_[2] + lastSteps_[3]) * kLsbPower /
                          static_cast<double>(kBlockFrames));
}

std::optional<double> LoudnessMeter::IntegratedLufs() const { return Gated({&blocks_}); }

std::optional<double> LoudnessMeter::AlbumLufs(const std::vector<const LoudnessMeter*>& tracks) {
    std::vector<const std::vector<double>*> sets;
    for (const LoudnessMeter* track : tracks) sets.push_back(&track->blocks_);
    return Gated(sets);
}

double LoudnessMeter::TruePeakDbtp() const {
    // The values between the last samples and the silence after them, which the next piece
    // would otherwise have completed.
    constexpr std::size_t kTail = kHalf;
    std::array<float, kHistory + kTail + kPadding> tail{};
    float peak = std::max(interpolatedPeak_, static_cast<float>(samplePeak_));
    for (int ch = 0; ch < 2; ++ch) {
        std::copy(history_[ch].begin(), history_[ch].end(), tail.begin());
        peak = std::max(peak, InterpolatedPeak(tail.data(), kTail));
    }
    if (peak == 0) return -std::numeric_limits<double>::infinity();
    return 20 * std::log10(static_cast<double>(peak) / 32768.0);
}
