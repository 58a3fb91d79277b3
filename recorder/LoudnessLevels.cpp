#include "recorder/LoudnessLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "recorder/LoudnessGain.h"

namespace {

// "<name> <value><unit>" with the value to the given decimals, signed when asked.
std::string Formatted(const char* name, double value, int decimals, bool sign, const char* unit) {
    char number[32];
    std::snprintf(number, sizeof number, sign ? "%+.*f" : "%.*f", decimals, value);
    return std::string(name) + " " + number + unit;
}

} // namespace

LoudnessLevels LoudnessLevels::Of(const std::vector<LoudnessMeter>& meters, bool album) {
    std::vector<const LoudnessMeter*> all;
    double albumPeak = -std::numeric_limits<double>::infinity();
    for (const LoudnessMeter& meter : meters) {
        all.push_back(&meter);
        albumPeak = std::max(albumPeak, meter.TruePeakDbtp());
    }
    const std::optional<double> albumLufs = LoudnessMeter::AlbumLufs(all);
    LoudnessLevels levels;
    for (const LoudnessMeter& meter : meters) {
        const std::optional<double> lufs = meter.IntegratedLufs();
        levels.gains.push_back(album ? LoudnessGain::GainDb(albumLufs, albumPeak)
                                     : LoudnessGain::GainDb(lufs, meter.TruePeakDbtp()));
        std::vector<std::string> lines;
        if (lufs) lines.push_back(Formatted("REPLAYGAIN_TRACK_GAIN", LoudnessGain::kTargetLufs - *lufs, 2, true, " dB"));
        lines.push_back(Formatted("REPLAYGAIN_TRACK_PEAK", std::pow(10.0, meter.TruePeakDbtp() / 20), 6, false, ""));
        levels.trackRemarks.push_back(std::move(lines));
    }
    if (album && albumLufs) {
        levels.discRemarks.push_back(Formatted("REPLAYGAIN_ALBUM_GAIN", LoudnessGain::kTargetLufs - *albumLufs, 2, true, " dB"));
        levels.discRemarks.push_back(Formatted("REPLAYGAIN_ALBUM_PEAK", std::pow(10.0, albumPeak / 20), 6, false, ""));
    }
    return levels;
}
