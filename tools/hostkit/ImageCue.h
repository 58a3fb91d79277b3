#pragma once
// The CD-Text and checksums of a disc image's cue sheet as the recording engine writes it:
// quoted TITLE and PERFORMER before the first FILE (the disc's) and under each TRACK, and
// each track's "REM CRC32". Any thread; no state.
#include <string>
#include <vector>

namespace hostkit {

struct ImageCueTrack {
    std::string number, crc, title, performer;
};

struct ImageCue {
    std::string title, performer;
    std::vector<ImageCueTrack> tracks;
};

// False when the file can't be opened.
bool ReadImageCue(const std::string& cuePath, ImageCue& cue);

} // namespace hostkit
