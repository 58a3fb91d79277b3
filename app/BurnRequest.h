#pragma once
// BurnRequest: the burn command line parsed (playlist path and flags) and, once the run
// starts, the playlist's tracks. Filled once per process on the main thread; afterwards
// only the engine track numbers change.
#include "app/StartChecks.h"
#include "inc/TrackEntry.h"

#include <cstdint>
#include <string>
#include <vector>

class BurnRequest {
public:
    std::string playlistPath;
    std::vector<TrackEntry> tracks;
    std::vector<std::int32_t> engineTrackNumbers; // one per track; -1 for a refused track
    bool silent = false;     // S: no burn window, no start-up messages of the engine check
    bool burnAtOnce = false; // B: record as soon as the tracks are prepared
    bool eraseFirst = false; // E: erase the rewritable disc before recording
    bool eraseOnly = false;  // erase first without a playlist
    std::string discTitle;     // the playlist's own title and performer, for the disc's CD-Text
    std::string discPerformer;
    bool discTextUtf8 = false; // discTitle and discPerformer are UTF-8, else the system code page
    bool album = false;        // the playlist is a CUE sheet: its tracks keep its gaps
    std::string discCatalog;   // the album's, in the system code page or UTF-8 as the texts
    std::string discSongwriter;
    std::string playlistRefusal; // why the playlist cannot be burned ("line 12: ..."); empty: it can

    // Reads the command-line tail, runs the start checks, and answers true when the process
    // is to end now (every error and the query-only flags), false when the run follows.
    bool Parse(const std::string& commandLineTail, StartChecks& checks);

    // Appends the playlist's tracks and takes its disc texts, in whichever format
    // PlaylistReader recognises. An unreadable file adds nothing. Always true.
    bool ReadPlaylist(const std::string& path);
};
