// Tags and accelerators: tag parsing, key names, canonical keys, the code-page table.
#include "lib/LangStrings/LangFile/AcceleratorTag.h"
#include "lib/LangStrings/LangFile/CodepageTag.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(LanguageTagTest, ParsesAcceleratorAndCodepageTags) {
    struct Case { const char* text; int type; unsigned flags, key; const char* reason; }; // type 0: no tag; key: or code page
    const Case cases[] = {
        {"<ACCEL VIRTKEY CONTROL N>", 1, 0x09, 0x4E, ""},
        {"<accelerator\tshift  alt n 5>", 1, 0x14, 0x35, ""}, // the last key word counts
        {"< ACCEL VIRTKEY ALT SHIFT CONTROL F1 >", 1, 0x1D, 0x70, ""},
        {"<ACCEL kana oem_clear>", 1, 0, 0xFE, ""},
        {"<ACCEL VK_F1>", 0, 0, 0, "Unknown identifier 'VK_F1' in accelerator definition."},
        {"<codepage 932 ignored>", 2, 0, 932, ""},
        {"<CODEPAGE 1252abc>", 2, 0, 1252, ""},
        {"<CODEPAGE 0>", 0, 0, 0, "First argument in codepage definition is expected to be an integer codepage number."},
        {"<CODEPAGE 99999999999999999999>", 2, 0, 2147483647, ""},
        {"<>", 0, 0, 0, "Tag type expected between '<' and '>'."},
        {"<Menu x>", 0, 0, 0, "Tag type 'MENU' is unknown."},
        {"ACCEL N>", 0, 0, 0, ""},
        {"<ACCEL N", 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        std::string reason = "stale";
        std::unique_ptr<LanguageTag> tag = ParseTag(c.text, reason);
        EXPECT_EQ(c.reason, reason) << c.text;
        if (c.type == 0) {
            EXPECT_FALSE(tag) << c.text;
        } else if (!tag) {
            ADD_FAILURE() << "no tag from " << c.text;
        } else if (c.type == 1) {
            ASSERT_EQ(LanguageTag::kAccelerator, tag->GetType()) << c.text;
            const auto& a = static_cast<const AcceleratorTag&>(*tag);
            EXPECT_TRUE(a.NeedsEquals() && a.NeedsTagValue()) << c.text;
            EXPECT_EQ(c.flags, a.Flags()) << c.text;
            EXPECT_EQ(c.key, a.Key()) << c.text;
            EXPECT_EQ(0u, a.Command()) << c.text;
        } else {
            ASSERT_EQ(LanguageTag::kCodepage, tag->GetType()) << c.text;
            EXPECT_FALSE(tag->NeedsEquals() || tag->NeedsTagValue()) << c.text;
            EXPECT_EQ(c.key, static_cast<const CodepageTag&>(*tag).CodePage()) << c.text;
        }
    }
}

TEST(LanguageTagTest, KeyWordsAndCanonicalKeys) {
    const std::pair<const char*, unsigned> keys[] = {
        {"n", 0x4E}, {"7", 0x37}, {"+", 0}, {"\xE9", 0}, {"HANGUL", 0x15}, {"F24", 0x87}, {"f1", 0}, {"", 0}, {"LBUTTONX", 0},
    };
    for (const auto& [word, code] : keys) EXPECT_EQ(code, VirtualKeyFromName(word)) << word;

    const std::tuple<unsigned, unsigned, const char*> names[] = {
        {0x1D, 0x70, "ACCEL_VIRTKEY_CONTROL_ALT_SHIFT_0x70"}, {0x82, 0x0A, "ACCEL_0x0A"}, {0x14, 0x1FF, "ACCEL_ALT_SHIFT_0xFF"}};
    for (const auto& [flags, key, name] : names) {
        EXPECT_EQ(name, AcceleratorKeyName(static_cast<std::uint8_t>(flags), static_cast<std::uint16_t>(key)));
    }
}

TEST(LanguageTagTest, CodepageTableHoldsEachPairOnceInOrder) {
    const auto table = CodepageLanguageTable();
    EXPECT_EQ(391u, table.size());
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return a.codePage != b.codePage ? a.codePage < b.codePage : a.language < b.language;
    }));
    EXPECT_EQ(table.end(), std::adjacent_find(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return a.codePage == b.codePage && a.language == b.language;
    }));
    const std::tuple<unsigned, unsigned, bool> pairs[] = {
        {1252, 0x040C, true}, {1252, 0x0419, false}, {932, 0x0411, true}, {932, 0x0404, false},
        {1381, 0x1004, true}, {850, 0x0438, true},   {1250, 0x0438, true}, {70000, 0x0409, false}};
    for (const auto& [codePage, language, matches] : pairs) {
        EXPECT_EQ(matches, CodepageMatchesLanguage(codePage, static_cast<std::uint16_t>(language)))
            << codePage << " " << std::hex << language;
    }
}

} // namespace
