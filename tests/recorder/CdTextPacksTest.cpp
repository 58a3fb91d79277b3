#include "recorder/CdTextPacks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Pack = CdTextPacks::Pack;

TEST(CdTextPacksTest, CrcMatchesThePublishedCheckValueInverted) {
    const std::string check = "123456789";
    EXPECT_EQ(CdTextPacks::Crc(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCE3C);
    EXPECT_EQ(CdTextPacks::Crc(nullptr, 0), 0xFFFF);
}

// Written out by hand; the CRCs come from a bitwise routine apart from this project.
TEST(CdTextPacksTest, BuildsTheBlockByteForByte) {
    CueText disc{"Disc", ""};
    std::vector<CueText> tracks{{"One", ""}, {"", "Zo\xC3\xAB\xE2\x98\x83"}}; // "Zoë☃": ë fits, ☃ does not
    const std::vector<Pack> expected{
        {0x80, 0x00, 0x00, 0x00, 'D', 'i', 's', 'c', 0, 'O', 'n', 'e', 0, 0, 0, 0, 0xBA, 0x68},
        {0x81, 0x00, 0x01, 0x00, 0, 0, 'Z', 'o', 0xEB, '?', 0, 0, 0, 0, 0, 0, 0x43, 0x05},
        // Character code, tracks 3 to 4, no copyright flags, packs per type 0x80 to 0x8F
        // (title 1, performer 1, size 3), last sequence number of block 0 (4), its language.
        {0x8F, 0x00, 0x02, 0x00, 0x00, 0x03, 0x04, 0x00, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0x52, 0x2B},
        {0x8F, 0x01, 0x03, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x04, 0, 0, 0, 0x89, 0xE8},
        {0x8F, 0x02, 0x04, 0x00, 0, 0, 0, 0, 0x09, 0, 0, 0, 0, 0, 0, 0, 0x67, 0xE1},
    };
    EXPECT_EQ(CdTextPacks::Build(disc, tracks, 3), expected);
    EXPECT_TRUE(CdTextPacks::Build({}, {{}, {}}, 1).empty());
    EXPECT_TRUE(CdTextPacks::Build(disc, {}, 1).empty());
}

TEST(CdTextPacksTest, StringsRunOnAcrossPacksNamingTrackAndCharacterPosition) {
    const struct {
        std::string discTitle;
        std::vector<std::pair<int, int>> trackAndPosition; // of each title pack
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQRST", {{0, 0}, {0, 12}, {5, 3}}},             // the third starts at track 5's NUL
        {std::string(45, 'x'), {{0, 0}, {0, 12}, {0, 15}, {0, 15}, {5, 2}}}, // positions past 14 read 15
        {"ABCDEFGHIJK", {{0, 0}, {5, 0}}}, // the second starts with track 5's title
        {"", {{0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.discTitle);
        auto packs = CdTextPacks::Build({c.discTitle, ""}, {{"xyz", ""}, {"", ""}}, 5);
        ASSERT_EQ(packs.size(), c.trackAndPosition.size() + 3);
        for (std::size_t i = 0; i < packs.size(); ++i) {
            EXPECT_EQ(packs[i][2], i);
            EXPECT_EQ(packs[i][0], i < c.trackAndPosition.size() ? 0x80 : 0x8F);
            if (i < c.trackAndPosition.size()) {
                EXPECT_EQ(packs[i][1], c.trackAndPosition[i].first) << i;
                EXPECT_EQ(packs[i][3], c.trackAndPosition[i].second) << i;
            }
        }
        EXPECT_EQ(packs[packs.size() - 3][4 + 4], c.trackAndPosition.size()); // title packs counted
    }
}

TEST(CdTextPacksTest, RefusesMoreTextThanOneBlockHoldsRatherThanCutIt) {
    // Disc title, its NUL and one track's NUL: 253 packs hold 3036 bytes.
    auto packs = CdTextPacks::Build({std::string(3034, 'a'), ""}, {{}}, 1);
    ASSERT_EQ(packs.size(), 256u);
    EXPECT_EQ(packs.back()[2], 255);
    EXPECT_EQ(packs[254][4 + 8], 255); // last sequence number of block 0
    EXPECT_THROW(CdTextPacks::Build({std::string(3035, 'a'), ""}, {{}}, 1), CdTextPacks::cdtext_too_large);
    EXPECT_THROW(CdTextPacks::Build({std::string(1600, 'a'), std::string(1600, 'b')}, {{}}, 1),
                 CdTextPacks::cdtext_too_large);
}

TEST(CdTextPacksTest, Latin1KeepsWhatFitsShowsTheRestAsADisplayWouldAndMarksTheUnknown) {
    const struct {
        std::string utf8, latin1;
    } cases[] = {
        {"Caf\xC3\xA9 \xC3\xBF", "Caf\xE9 \xFF"},
        {"\xE2\x98\x83\xF0\x9F\x8E\xB5", "??"}, // one mark per character
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA \xC5\x92uvre", "L\xF3" "dz OEuvre"}, // accents the set lacks: the letter
        {"Caf" "e\xCC\x81 \xCC\x81x", "Caf\xE9 x"},               // combining accents
        {"\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\x93 \xE2\x82\xAC" "5\xE2\x80\xA6", "\"Hi\" - EUR5..."},
        {"a\xC0\x80z", "a??z"},                 // an overlong NUL is no NUL
        {"a\tb\xC2\x85", "a?b?"},               // controls
        {"\xC3", "?"},                          // cut short
    };
    for (const auto& c : cases) EXPECT_EQ(CdTextPacks::ToLatin1(c.utf8), c.latin1) << c.utf8;
}

} // namespace
