// The shipped language files: every key of English, compatible formats and distinct access
// keys per window; code-page conversions.
#include "LangTestSupport.h"
#include "inc/string_ext.h"
#include "lib/LangStrings/LangSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

using langtest::Shipped;

// The conversions of a printf format ("lu", "c", "s"), without "%%" and flags.
std::vector<std::string> Conversions(std::string_view format) {
    std::vector<std::string> found;
    for (std::size_t i = format.find('%'); i != format.npos; i = format.find('%', i)) {
        if (format.substr(i, 2) == "%%") { i += 2; continue; }
        const std::size_t start = std::min(format.find_first_not_of("-+ #0123456789.*", i + 1), format.size());
        i = std::min(std::min(format.find_first_not_of("hlLqjztI64", start), format.size()) + 1, format.size());
        found.emplace_back(format.substr(start, i - start));
    }
    return found;
}

// The access key of a text: the character after a single '&', upper-cased; 0 for none.
char AccessKey(std::string_view text) {
    for (std::size_t i = text.find('&'); i != text.npos && i + 1 < text.size(); i = text.find('&', i + 2))
        if (text[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    return 0;
}

TEST(LanguageFilesTest, EveryLanguageHasEveryEnglishKey) {
    const langtest::FilledStore english = Shipped("FN1033.lng");
    const StoreReader reader = english.store->Reader();
    ASSERT_TRUE(reader.FindSection("Shared"));
    const std::pair<const char*, std::uint32_t> languages[] = {
        {"FN1033.lng", 1252}, {"FN1031.lng", 1252}, {"FN1034.lng", 1252}, {"FN1036.lng", 1252}, {"FN1041.lng", 932}};
    for (const auto& [name, codePage] : languages) {
        const langtest::FilledStore filled = Shipped(name);
        EXPECT_EQ(codePage, filled.store->CodePage()) << name;
        for (std::size_t i = 0; i < reader.SectionCount(); ++i) {
            const std::string section(reader.SectionAt(i)->name);
            const LangSection translated(filled.store, section);
            EXPECT_EQ(LangSection(english.store, section).Size(), translated.Size()) << name << " [" << section << "]";
            reader.ForEachRecord(*reader.SectionAt(i), [&](std::string_view key, std::string_view text) {
                const std::string_view other = translated.Lookup(key).value_or("(missing)");
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(other.begin(), other.end(), '\n')) << name << " " << key;
                EXPECT_TRUE(key.rfind("IDS_FORMAT_", 0) != 0 || Conversions(text) == Conversions(other)) << name << " " << key;
                EXPECT_NO_THROW(convert_wstring(other, codePage)) << name << " " << key;
                EXPECT_NE("(missing)", other) << name << " lacks " << key;
            });
        }
        // The burn window before and after a recording, the drive and speed dialog; the
        // first two texts of each must have a key.
        const LangSection shared(filled.store, "Shared");
        for (const auto& window : {std::vector<const char*>{"IDS_BUTTON_RECORD", "IDS_BUTTON_OPTIONS", "IDS_BUTTON_CANCEL"},
                                   {"IDS_BUTTON_RECORD", "IDS_BUTTON_OPTIONS", "IDS_BUTTON_CLOSE"},
                                   {"IDS_TEXT_BURNING_DEVICE", "IDS_TEXT_BURN_SPEED", "IDS_BUTTON_OK", "IDS_BUTTON_CANCEL"}}) {
            std::set<char> used;
            for (std::size_t i = 0; i < window.size(); ++i) {
                const char access = AccessKey(shared.Lookup(window[i]).value_or(""));
                EXPECT_TRUE(access ? used.insert(access).second : i > 1) << name << " " << window[i] << " key " << access;
            }
        }
    }
}

TEST(TextConversionTest, ConvertsBothWaysAndRecodes) {
    struct Case { std::string bytes; std::uint32_t codePage; std::wstring wide; };
    const Case cases[] = {
        {"\x80 \xE9\xA0", 1252, L"\u20AC \u00E9\u00A0"},
        {"\x95\x5C\x8E\xA6 A", 932, L"\u8868\u793A A"},
        {"\xC4\xE0", 1251, L"\u0414\u0430"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.wide, convert_wstring(c.bytes, c.codePage)) << c.codePage;
        EXPECT_EQ(c.bytes, convert_string(c.wide, c.codePage)) << c.codePage;
    }
    EXPECT_EQ("\xE9t\xE9", convert_codepage("\xE9t\xE9", 1252, 1250));
    EXPECT_EQ("?", convert_codepage("\x83\x65", 932, 1252)); // no such character: replaced
    EXPECT_THROW(convert_wstring("abc", 77777), convert_wstring_failed);
    EXPECT_THROW(convert_string(L"abc", 77777), convert_string_failed);
}

} // namespace
