#pragma once
// LoudnessLevels: what levelled loudness makes of a session's measured tracks: the gain of
// each track (its own, or the album's one gain when the tracks form an album) and the
// REPLAYGAIN remarks of the cue sheet, per track and for the disc. Plain data; any thread.
#include <string>
#include <vector>

#include "recorder/LoudnessMeter.h"

struct LoudnessLevels {
    std::vector<double> gains;                          // dB, per track
    std::vector<std::vector<std::string>> trackRemarks; // "REPLAYGAIN_TRACK_GAIN -3.20 dB", ...
    std::vector<std::string> discRemarks;               // the album's, when the tracks form one

    // meters: one per track, each fed its whole audio. album: the tracks form one album.
    static LoudnessLevels Of(const std::vector<LoudnessMeter>& meters, bool album);
};
