// The shipped language files: each parses, holds every key of English, and keeps the
// printf conversions of the format texts compatible with English.
#include "LangTestSupport.h"
#include "inc/string_ext.h"
#include "lib/LangStrings/LangSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using Texts = std::map<std::string, std::map<std::string, std::string>>; // section -> key -> text

std::string LanguageFolder() {
#ifdef _WIN32
    return std::string("Z:") + FENNEL_SOURCE_DIR + "/lang/";
#else
    return std::string(FENNEL_SOURCE_DIR) + "/lang/";
#endif
}

// The conversions of a printf format ("lu", "c", "s"), without "%%".
std::vector<std::string> Conversions(const std::string& format) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() && std::string_view("-+ #0123456789.*").find(format[j]) != std::string_view::npos) ++j;
        std::string conversion;
        while (j < format.size() && std::string_view("hlLqjztI64").find(format[j]) != std::string_view::npos) {
            conversion += format[j++];
        }
        if (j < format.size()) conversion += format[j];
        found.push_back(conversion);
        i = j;
    }
    return found;
}

Texts ReadLanguage(const std::string& name, std::uint32_t& codePage) {
    const std::string path = LanguageFolder() + name;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::uint16_t language = LanguageFromFileName(name);
    const langtest::FilledStore filled =
        langtest::FillFromText(bytes, language, language == 0x0411 ? 932 : 1252, name);
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
    for (const char* key : {"IDS_PLUGIN_APP", "IDS_PARTNER_APP", "NO_OS_LANGUAGE_SUPPORT", "MSGBOX_OK",
                            "PRSHT_WIZFINISH", "IDS_URL_UPDATE", "IDS_FORMAT_PERCENT"}) {
        EXPECT_EQ(1u, english.at("Shared").count(key)) << key;
    }
    EXPECT_EQ(0u, english.at("Shared").at("IDS_URL_FREE_ENGINE").find("https://example.org/"));

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
                const auto it = translated.find(key);
                if (it == translated.end()) {
                    ADD_FAILURE() << name << " lacks " << key;
                    continue;
                }
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                          std::count(it->second.begin(), it->second.end(), '\n'))
                    << name << " " << key;
                if (key.rfind("IDS_FORMAT_", 0) == 0) {
                    EXPECT_EQ(Conversions(text), Conversions(it->second)) << name << " " << key;
                }
                EXPECT_NO_THROW(convert_wstring(it->second, codePage)) << name << " " << key;
            }
            EXPECT_EQ(keys.size(), translated.size()) << name << " holds keys English lacks";
        }
    }
}

} // namespace
