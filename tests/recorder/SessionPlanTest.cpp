#include "recorder/SessionPlan.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionPlanTest, PlacesTracksWithTheGapsOfTheWriteMethod) {
    struct Track {
        int number;
        std::uint32_t pregap, audio, start;
    };
    // Track audio: 10 s, 1 s (padded to 4 s), 5 s plus one byte.
    const std::vector<std::uint64_t> audio = {176400 * 10, 176400, 176400 * 5 + 4};
    const struct {
        const char* name;
        std::uint32_t start;
        int firstTrack;
        std::vector<std::uint64_t> audio;
        WriteMethod method;
        std::uint32_t pause, total;
        std::vector<Track> tracks;
    } cases[] = {
        {"disc at once", 0, 1, audio, WriteMethod::DiscAtOnce, 150, 1576, {{1, 150, 750, 0}, {2, 0, 300, 900}, {3, 0, 376, 1200}}},
        {"session at once", 0, 1, audio, WriteMethod::SessionAtOnce, 150, 1576, {{1, 150, 750, 0}, {2, 0, 300, 900}, {3, 0, 376, 1200}}},
        {"track at once", 0, 1, audio, WriteMethod::TrackAtOnce, 150, 1876, {{1, 150, 750, 0}, {2, 150, 300, 900}, {3, 150, 376, 1350}}},
        {"track at once without pause", 0, 1, audio, WriteMethod::TrackAtOnce, 0, 1576, {{1, 150, 750, 0}, {2, 0, 300, 900}, {3, 0, 376, 1200}}},
        {"later session", 20000, 4, {176400 * 4}, WriteMethod::DiscAtOnce, 150, 450, {{4, 150, 300, 20000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionPlan plan = SessionPlan::Make(c.start, c.firstTrack, c.audio, c.method, c.pause);
        EXPECT_EQ(plan.totalFrames, c.total);
        EXPECT_EQ(plan.ImageBytes(), std::uint64_t{c.total} * 2352);
        ASSERT_EQ(plan.tracks.size(), c.tracks.size());
        for (std::size_t i = 0; i < c.tracks.size(); ++i) {
            const PlannedTrack& t = plan.tracks[i];
            const Track& e = c.tracks[i];
            EXPECT_EQ((std::vector<std::uint32_t>{std::uint32_t(t.number), t.pregapFrames, t.audioFrames, t.startFrame}),
                      (std::vector<std::uint32_t>{std::uint32_t(e.number), e.pregap, e.audio, e.start})) << i;
            EXPECT_EQ(t.fileOffset, std::uint64_t{t.startFrame - plan.startFrame} * 2352);
        }
    }
}

} // namespace
