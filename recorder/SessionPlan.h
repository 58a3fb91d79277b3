#pragma once
// SessionPlan: where each track of one recording session lies on the disc and in the
// session's image file. The session's first track has the two-second pregap; after it,
// disc-at-once and session-at-once write the tracks back to back, track-at-once puts a pause
// before each. Every track is padded to whole frames and to at least four seconds; pregaps,
// pauses and padding are silence in the image. Plain data; any thread.
#include <cstdint>
#include <optional>
#include <vector>

enum class WriteMethod { DiscAtOnce, SessionAtOnce, TrackAtOnce };

struct PlannedTrack {
    int number = 0;                // track number on the disc, 1 to 99
    std::uint32_t pregapFrames = 0; // silence before index 1 (index 0 starts it); 0: no index 0
    std::uint32_t audioFrames = 0;  // from index 1, padded
    std::uint64_t audioBytes = 0;   // audio before padding (16-bit stereo)
    std::uint32_t startFrame = 0;   // disc position of the track's first frame (its pregap)
    std::uint64_t fileOffset = 0;   // byte offset of that frame in the session's image file

    std::uint32_t IndexOneFrame() const { return startFrame + pregapFrames; }
    std::uint32_t EndFrame() const { return IndexOneFrame() + audioFrames; }
};

struct SessionPlan {
    std::uint32_t startFrame = 0;  // disc position of the session's first frame
    std::uint32_t totalFrames = 0; // frames of the session's image, pregaps included
    std::vector<PlannedTrack> tracks;

    std::uint64_t ImageBytes() const;

    // audioBytes: each track's audio in 16-bit stereo bytes. pauseFrames: the pause before
    // tracks after the first when written track-at-once. ownPregaps: tracks whose pregap the
    // layout gives (an album's gaps: 0 for none), by track; the session's first track still
    // gets at least the two seconds every session starts with.
    static SessionPlan Make(std::uint32_t startFrame, int firstTrackNumber, const std::vector<std::uint64_t>& audioBytes,
                            WriteMethod method, std::uint32_t pauseFrames,
                            const std::vector<std::optional<std::uint32_t>>& ownPregaps = {});
};
