#include "recorder/SessionPlan.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int number;
    std::uint32_t pregap, audio, start;
};

void ExpectTracks(const SessionPlan& plan, const std::vector<Expected>& expected) {
    ASSERT_EQ(plan.tracks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const PlannedTrack& t = plan.tracks[i];
        EXPECT_EQ(t.number, expected[i].number);
        EXPECT_EQ(t.pregapFrames, expected[i].pregap);
        EXPECT_EQ(t.audioFrames, expected[i].audio);
        EXPECT_EQ(t.startFrame, expected[i].start);
        EXPECT_EQ(t.fileOffset, std::uint64_t{t.startFrame - plan.startFrame} * 2352);
    }
}

// Track audio: 10 s, 1 s (padded to 4 s), 5 s plus one byte.
const std::vector<std::uint64_t> kAudio = {176400 * 10, 176400, 176400 * 5 + 4};

TEST(SessionPlanTest, DiscAtOnceWritesTracksBackToBackAfterThePregap) {
    for (WriteMethod method : {WriteMethod::DiscAtOnce, WriteMethod::SessionAtOnce}) {
        SessionPlan plan = SessionPlan::Make(0, 1, kAudio, method, 150);
        ExpectTracks(plan, {{1, 150, 750, 0}, {2, 0, 300, 900}, {3, 0, 376, 1200}});
        EXPECT_EQ(plan.totalFrames, 1576u);
        EXPECT_EQ(plan.ImageBytes(), 1576u * 2352);
    }
}

TEST(SessionPlanTest, TrackAtOncePausesBeforeEveryLaterTrack) {
    SessionPlan plan = SessionPlan::Make(0, 1, kAudio, WriteMethod::TrackAtOnce, 150);
    ExpectTracks(plan, {{1, 150, 750, 0}, {2, 150, 300, 900}, {3, 150, 376, 1350}});
    EXPECT_EQ(plan.totalFrames, 1876u);
    EXPECT_EQ(SessionPlan::Make(0, 1, kAudio, WriteMethod::TrackAtOnce, 0).totalFrames, 1576u);
}

TEST(SessionPlanTest, ALaterSessionContinuesNumberingAtItsStart) {
    SessionPlan plan = SessionPlan::Make(20000, 4, {176400 * 4}, WriteMethod::DiscAtOnce, 150);
    ExpectTracks(plan, {{4, 150, 300, 20000}});
    EXPECT_EQ(plan.tracks[0].IndexOneFrame(), 20150u);
    EXPECT_EQ(plan.tracks[0].EndFrame(), 20450u);
}

} // namespace
