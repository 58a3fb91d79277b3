#pragma once
// TrackEntry: one entry of the track list, the media file's path exactly as the playlist
// gives it. Its position in the list, counted from 1, names its result value.
#include <string>

struct TrackEntry {
    std::string path;
};
