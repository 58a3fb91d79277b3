#pragma once
// TrackEntry: one entry of the track list: the media file's path as the playlist gives it
// (a relative path already joined to the playlist's folder) and the CD-Text the playlist
// names for it, or an album track's parts. Its position in the list, counted from 1, names
// its result value.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A part of an album track: a range of a file in CD frames (1/75 s), or silence (no path).
struct TrackSegment {
    std::string path;
    std::uint64_t startFrame = 0;
    std::optional<std::uint64_t> frames; // none: to the file's end
    bool pregap = false;                 // before the track's index 1
};

struct TrackEntry {
    TrackEntry() = default;
    // A path alone is a whole entry of a plain list.
    TrackEntry(std::string filePath) : path(std::move(filePath)) {} // NOLINT(google-explicit-constructor)

    std::string path;
    // A relative M3U line's path with its %XX escapes decoded, for when path names no file
    // and this does (some players write escaped lines); empty when the line has none.
    std::string decodedPath;
    std::string title;     // empty: the engine's default (the file's tags or name)
    std::string performer; // empty: the engine's default (the file's tags)
    bool utf8 = false;     // path, title and performer are UTF-8, else the system code page
    bool uri = false;      // a web address or other URI: refused without a file-system look-up
    // An album's track (a CUE sheet's): its pregap and audio as parts of files; empty: the
    // whole file at path. Its codes and songwriter go to the disc with it.
    std::vector<TrackSegment> segments;
    std::string isrc;
    std::uint32_t flags = 0; // 1 pre-emphasis, 2 digital copy permitted, 4 four channels
    std::string songwriter;
};
