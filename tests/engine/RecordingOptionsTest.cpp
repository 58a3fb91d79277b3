// The five recording options and the option word they stand for, and write speeds and
// their masks, both ways.
#include "engine/EngineClientCodes.h"
#include "engine/RecordingOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordingOptionsTest, DecodesAndEncodesEveryOption) {
    const struct { std::uint32_t word; std::uint8_t value; RecordingOptions options; } cases[] = {
        {0, 0, {0, 0, 0, 0, 0}},               {1u << 0, 0, {1, 0, 0, 0, 0}},          {1u << 1, 0, {3, 0, 0, 0, 0}},
        {1u << 2, 0, {2, 0, 0, 0, 0}},         {1u << 15, 0, {0, 2, 0, 0, 0}},         {1u << 16, 0, {0, 3, 0, 0, 0}},
        {1u << 13, 0, {0, 0, 1, 0, 0}},        {1u << 14, 0, {0, 0, 2, 0, 0}},         {0, 0xA5, {0, 0, 0, 0xA5, 0}},
        {1u << 28, 0, {0, 0, 0, 0x100, 0}},    {1u << 30, 0, {0, 0, 0, 0x10000, 0}},   {1u << 24, 0, {0, 0, 0, 0x1000000, 0}},
        {1u << 27, 0, {0, 0, 0, 0, 1}},        {1u << 26, 0, {0, 0, 0, 0, 0x100}},
        // What the application sets: format 3, disc-at-once, bytes 1, 1, 1, 0.
        {(1u << 1) | (1u << 16) | (1u << 28) | (1u << 30), 1, {3, 3, 0, 0x00010101, 0}},
        {(1u << 24) | (1u << 26), 0, {0, 0, 0, 0x01000000, 0x100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << c.word << " value 0x" << int{c.value});
        EXPECT_EQ(RecordingOptions::Decode(c.word, c.value), c.options);
        std::uint32_t word = 0x00800008; // bits the options don't describe stay as they are
        std::uint8_t value = 0x77;
        c.options.Encode(word, value);
        EXPECT_EQ(word, c.word | 0x00800008u);
        EXPECT_EQ(value, c.value);
    }
}

TEST(SpeedMaskTest, ConvertsBothWaysUpToTheFastestCode) {
    const struct { std::uint32_t mask; std::int32_t speed; } masks[] = {
        {0, 1}, {1, 1}, {2, 2}, {3, 1}, {4, 3}, {8, 4}, {16, 6}, {32, 8}, {1u << 30, 58}, {1u << 31, 60}};
    for (const auto& m : masks) EXPECT_EQ(SpeedOfMask(m.mask), m.speed) << "mask " << m.mask;
    const struct { std::uint32_t speed, mask; } speeds[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {4, 8}, {5, 8}, {7, 16},
        {48, 1u << 25}, {58, 1u << 30}, {60, 1u << 31}, {62, 1u << 31}, {99, 1u << 31}}; // 62: past the cap
    for (const auto& p : speeds) EXPECT_EQ(MaskOfSpeed(p.speed), p.mask) << "speed " << p.speed;
}

} // namespace
