#pragma once
// BurnResult, TrackResult and EngineCheckResult: the values the host reads from the
// application area, BurnResults for the run, TrackResults\<position> for each playlist entry
// and EngineCheckResult for the engine check. The numbers are what the host understands;
// never renumber them. Portable; values only.
#include <cstdint>

enum class BurnResult : std::int32_t {
    Finished = 0,             // recording finished, every track accepted
    FinishedWithRefusals = 1, // recording finished, some tracks refused
    Failed = -1,              // recording failed or aborted, or the run was refused before it started
    Cancelled = -2,           // the user cancelled
    Started = -3,             // the program started (area ready); no burn result yet
    NoCommandLine = -4,       // no usable command line
    DiscNotErasable = -6,     // erasing refused: the disc is not rewritable
    Erasing = -7,             // erasing the disc
    EraseFailed = -8,         // erasing failed
    Erased = -9,              // erasing completed
    DiscUnusable = -10,       // the disc in the drive can't take the burn
    Recording = -19,          // recording has started
};

enum class TrackResult : std::int32_t {
    Recorded = 0,        // written to the disc
    Failed = -1,         // writing it failed
    Interrupted = -2,    // cancelled while it was being written
    Accepted = -3,       // the engine took it; waiting to be written
    FileNotFound = -5,   // refused: no such file
    InvalidFile = -6,    // refused: anything else
    TypeRefused = -7,    // refused: file type not decodable or not allowed
    Recording = -8,      // being written
    NoSpace = -9,        // refused: the disc has no room for it
    TooManyTracks = -10, // refused: the layout is full
};

enum class EngineCheckResult : std::int32_t {
    Usable = 0,   // engine and drive usable, or a failure of no other class
    NoDrive = 1,  // no usable (current or ready) drive
    NoEngine = 2, // no recording engine
};

constexpr std::int32_t ValueOf(BurnResult result) { return static_cast<std::int32_t>(result); }
constexpr std::int32_t ValueOf(TrackResult result) { return static_cast<std::int32_t>(result); }
constexpr std::int32_t ValueOf(EngineCheckResult result) { return static_cast<std::int32_t>(result); }
