#include "recorder/SessionPlan.h"

#include "recorder/RedBook.h"

#include <algorithm>

std::uint64_t SessionPlan::ImageBytes() const { return std::uint64_t{totalFrames} * RedBook::kFrameBytes; }

SessionPlan SessionPlan::Make(std::uint32_t startFrame, int firstTrackNumber, const std::vector<std::uint64_t>& audioBytes,
                              WriteMethod method, std::uint32_t pauseFrames,
                              const std::vector<std::optional<std::uint32_t>>& ownPregaps) {
    SessionPlan plan;
    plan.startFrame = startFrame;
    std::uint64_t offsetFrames = 0; // within the session
    for (std::size_t i = 0; i < audioBytes.size(); ++i) {
        PlannedTrack track;
        track.number = firstTrackNumber + static_cast<int>(i);
        if (i == 0)
            track.pregapFrames = RedBook::kPregapFrames;
        else if (method == WriteMethod::TrackAtOnce)
            track.pregapFrames = pauseFrames;
        if (i < ownPregaps.size() && ownPregaps[i])
            track.pregapFrames = i == 0 ? std::max(*ownPregaps[i], RedBook::kPregapFrames) : *ownPregaps[i];
        track.audioBytes = audioBytes[i];
        track.audioFrames = static_cast<std::uint32_t>(RedBook::TrackFrames(audioBytes[i]));
        track.startFrame = static_cast<std::uint32_t>(startFrame + offsetFrames);
        track.fileOffset = offsetFrames * RedBook::kFrameBytes;
        offsetFrames += track.pregapFrames + std::uint64_t{track.audioFrames};
        plan.tracks.push_back(track);
    }
    plan.totalFrames = static_cast<std::uint32_t>(offsetFrames);
    return plan;
}
