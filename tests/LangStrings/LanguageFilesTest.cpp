// The shipped language files: each parses, holds every key of English, and keeps the
// printf conversions of the format texts compatible with English; code-page conversions.
#include "LangTestSupport.h"
#include "inc/string_ext.h"
#include "lib/LangStrings/LangSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using Texts = std::map<std::string, std::map<std::string, std::string>>; // section -> key -> text

// The conversions of a printf format ("lu", "c", "s"), without "%%".
std::vector<std::string> Conversions(const std::string& format) {
    std::vector<std::string> found;
    for (std::size_t i = format.find('%'); i < format.size(); i = format.find('%', i + 1)) {
        if (format.compare(i, 2, "%%") == 0) {
            ++i;
            continue;
        }
        i = format.find_first_not_of("-+ #0123456789.*", i + 1);
        const std::size_t end = std::min(format.find_first_not_of("hlLqjztI64", i), format.size() - 1);
        found.push_back(i < format.size() ? format.substr(i, end - i + 1) : "");
        i = end;
    }
    return found;
}

Texts ReadLanguage(const std::string& name, std::uint32_t& codePage) {
#ifdef _WIN32
    std::ifstream in("Z:" FENNEL_SOURCE_DIR "/lang/" + name, std::ios::binary);
#else
    std::ifstream in(FENNEL_SOURCE_DIR "/lang/" + name, std::ios::binary);
#endif
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::uint16_t language = LanguageFromFileName(name);
    const langtest::FilledStore filled = langtest::FillFromText(bytes, language, language == 0x0411 ? 932 : 1252, name);
    codePage = filled.store->CodePage();
    Texts texts;
    const StoreReader reader = filled.store->Reader();
    for (std::size_t i = 0; i < reader.SectionCount(); ++i) {
        const auto section = reader.SectionAt(i);
        reader.ForEachRecord(*section, [&](std::string_view key, std::string_view value) {
            texts[std::string(section->name)].emplace(key, value);
        });
    }
    return texts;
}

TEST(LanguageFilesTest, EveryLanguageHasEveryEnglishKey) {
    std::uint32_t englishCodePage = 0;
    const Texts english = ReadLanguage("FN1033.lng", englishCodePage);
    ASSERT_EQ(1u, english.count("Shared"));
    EXPECT_EQ(1252u, englishCodePage);

    const std::pair<const char*, std::uint32_t> languages[] = {
        {"FN1031.lng", 1252}, {"FN1034.lng", 1252}, {"FN1036.lng", 1252}, {"FN1041.lng", 932}};
    for (const auto& [name, expectedCodePage] : languages) {
        std::uint32_t codePage = 0;
        const Texts texts = ReadLanguage(name, codePage);
        EXPECT_EQ(expectedCodePage, codePage) << name;
        for (const auto& [section, keys] : english) {
            ASSERT_EQ(1u, texts.count(section)) << name << " [" << section << "]";
            const auto& translated = texts.at(section);
            for (const auto& [key, text] : keys) {
                const std::string other = translated.count(key) ? translated.at(key) : "(missing)";
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(other.begin(), other.end(), '\n')) << name << " " << key;
                EXPECT_TRUE(key.rfind("IDS_FORMAT_", 0) != 0 || Conversions(text) == Conversions(other)) << name << " " << key;
                EXPECT_NO_THROW(convert_wstring(other, codePage)) << name << " " << key;
                EXPECT_NE("(missing)", other) << name << " lacks " << key;
            }
            EXPECT_EQ(keys.size(), translated.size()) << name << " holds keys English lacks";
        }
    }
}

TEST(TextConversionTest, ConvertsBothWaysAndRecodes) {
    struct Case { std::string bytes; std::uint32_t codePage; std::wstring wide; };
    const Case cases[] = {
        {"\x80 \xE9\xA0", 1252, L"\u20AC \u00E9\u00A0"},
        {"\x83\x65\x83\x58\x83\x67", 932, L"\u30C6\u30B9\u30C8"},
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
