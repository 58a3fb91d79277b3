#include "recorder/RedBook.h"

#include <gtest/gtest.h>

#include "engine/RecordingEngineTypes.h"

namespace {

TEST(RedBookTest, TracksOccupyWholeFramesAndAtLeastFourSeconds) {
    const struct {
        std::uint64_t bytes, frames, trackFrames;
    } cases[] = {
        {0, 0, 300},          {1, 1, 300},           {2352, 1, 300},
        {2353, 2, 300},       {300 * 2352, 300, 300}, {300 * 2352 + 1, 301, 301},
        {176400 * 60, 4500, 4500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RedBook::FramesForBytes(c.bytes), c.frames) << c.bytes;
        EXPECT_EQ(RedBook::TrackFrames(c.bytes), c.trackFrames) << c.bytes;
    }
}

TEST(RedBookTest, ChargesLeadOutAndLeadInOnlyAfterASession) {
    for (auto [sessions, frames] : {std::pair<int, std::uint32_t>{0, 0}, {1, 6750 + 4500}, {2, 2250 + 4500}})
        EXPECT_EQ(RedBook::SessionOverheadFrames(sessions), frames) << sessions;
}

TEST(RedBookTest, FormatsAndParsesMinutesSecondsFrames) {
    const struct {
        std::uint64_t frames;
        const char* text;
    } cases[] = {{0, "00:00:00"}, {74, "00:00:74"}, {75, "00:01:00"}, {150, "00:02:00"},
                 {4499, "00:59:74"}, {4500, "01:00:00"}, {333000, "74:00:00"}, {99 * 4500 + 4499, "99:59:74"},
                 {100 * 4500, "100:00:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(RedBook::FormatMsf(c.frames), c.text);
        EXPECT_EQ(RedBook::ParseMsf(c.text), c.frames) << c.text;
    }
    for (const char* bad : {"", "1:2", "00:60:00", "00:00:75", "00:1:00", "00:00:00 ", "aa:00:00", "-1:00:00"})
        EXPECT_FALSE(RedBook::ParseMsf(bad).has_value()) << bad;
}

TEST(RedBookTest, SpeedCodesMapBitsToMultiplesOfTheAudioRate) {
    const struct {
        unsigned speed;
        std::uint32_t mask;
    } cases[] = {{1, 1}, {2, 2}, {3, 4}, {4, 8}, {6, 16}, {8, 32}, {10, 64}, {48, 1u << 25}, {60, 1u << 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(RecordingSpeedMask(c.speed), c.mask) << c.speed;
        unsigned bit = 0;
        while ((1u << bit) != c.mask) ++bit;
        EXPECT_EQ(RecordingSpeedOfBit(bit), c.speed);
    }
    for (unsigned unrepresentable : {0u, 5u, 7u, 62u, 64u}) EXPECT_EQ(RecordingSpeedMask(unrepresentable), 0u);
}

} // namespace
