// Language texts as printf formats: only a text whose conversions agree with the program's
// arguments is used; and the speed list's selection rule.
#include "ui/FormatCheck.h"
#include "ui/SpeedSelection.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatCheckTest, ATextIsUsedOnlyWhenItsConversionsFitTheArguments) {
    const struct { const char* format; const char* arguments; bool usable; } rows[] = {
        {"%lu%%", "u", true}, {"%lu %%", "u", true}, {"%3lu%%", "u", true}, {"%-04.2lx", "u", true}, {"", "", true},
        {"100%%", "", true},
        {"%lo%ld%li%lX", "uuuu", true}, // every integer conversion takes the unsigned long
        {"(%c:) %s", "cs", true}, {"Tracks to record: %lu   Drive: %s", "us", true}, {"Track %lu of %lu: %s", "uus", true},
        {"no conversion at all", "u", false}, {"%lu%lu", "u", false}, // fewer conversions than arguments, more
        {"%s (%c:)", "cs", false},                                     // order swapped
        {"%u%%", "u", false},                                          // int where an unsigned long is passed
        {"%llu", "u", false}, {"%hu", "u", false}, {"%ls", "s", false}, {"%lc", "c", false}, {"%f", "u", false}, {"%p", "u", false},
        {"%n%lu", "u", false},                         // writes through an argument
        {"%*lu", "u", false}, {"%.*lu", "u", false},   // width or precision from an argument
        {"%1$lu", "u", false},                         // positional
        {"%lu%", "u", false}, {"%", "", false},        // a lone percent at the end
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.usable, FormatCheck::Matches(row.format, row.arguments)) << row.format << " / " << row.arguments;
    EXPECT_EQ("%lu %%", FormatCheck::Choose("%lu %%", "%lu%%", "u"));
    EXPECT_EQ("%lu%%", FormatCheck::Choose("%s %%", "%lu%%", "u"));
    EXPECT_EQ("%lu%%", FormatCheck::Choose("{IDS_FORMAT_PERCENT}", "%lu%%", "u"));
}

TEST(SpeedSelectionTest, TheFirstSpeedNotAboveTheChoiceElseTheSlowest) {
    const std::vector<std::uint16_t> speeds{48, 24, 16, 8};
    const struct { std::int32_t chosen; int index; } rows[] = {
        {-1, 0}, {48, 0}, {47, 1}, {24, 1}, {16, 2}, {10, 3}, {8, 3}, {4, 3}, {0, 3}, {1000, 0}};
    for (const auto& row : rows) EXPECT_EQ(row.index, SpeedSelection::Index(speeds, row.chosen)) << row.chosen;
    EXPECT_EQ(-1, SpeedSelection::Index({}, -1));
}

} // namespace
