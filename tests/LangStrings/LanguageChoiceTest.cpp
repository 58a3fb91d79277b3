// Language choice: file names, the choice among available languages, finding and opening
// a language's store (once per mapping name).
#include "LangTestSupport.h"
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangSection.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The choice reads prefix, digits and extension; a code-page tag is checked against the
// digits before a path's last dot.
TEST(LanguageChoiceTest, FileNamesGiveTheirLanguage) {
    const std::pair<const char*, std::uint16_t> cases[] = {
        {"fn1036.LNG", 1036}, {"XFN1036.lng", 1036}, {"FN0.lng", 0},  {"N1036.lng", 0},  {"GB1036.lng", 0},
        {"FN1036_b.lng", 0},  {"FN70000.lng", 0},    {"FN1036.txt", 0}, {"FNx1036.lng", 0}, {"", 0}};
    for (const auto& [name, language] : cases) EXPECT_EQ(language, LanguageOfFileName(name, "FN", "lng")) << name;
    const std::pair<const char*, std::uint16_t> paths[] = {
        {"C:\\x.1\\FN1036.lng", 0x040C}, {"FN1033.v2.lng", 2}, {"dir/FN.lng", 0}, {"FN99999.lng", 0}, {"65535.lng", 65535}};
    for (const auto& [path, language] : paths) EXPECT_EQ(language, LanguageFromFileName(path)) << path;
}

TEST(LanguageChoiceTest, ChoosesExactThenSamePrimaryThenUserThenSmallest) {
    struct Case { std::uint16_t requested, user; std::set<std::uint16_t> available; std::uint16_t chosen; };
    const Case cases[] = {
        {0x0C0C, 0x0409, {0x0409, 0x040C}, 0x040C},         {0x0407, 0x0409, {0x0409, 0x040C}, 0x0409},
        {0x0407, 0x0411, {0x040C, 0x0409}, 0x0409},         {0x0407, 0x0411, {}, 0},
        {0x0C0A, 0x0409, {0x040A, 0x080A, 0x0409}, 0x080A}, // the last of the same primary
        {0x080A, 0x0409, {0x040A, 0x080A, 0x0C0A}, 0x080A}, // exact beats same primary
        {0x0000, 0x0000, {0x0400, 0x0409}, 0x0400},         // nothing asked: the smallest
        {0x0501, 0x0409, {0x0401, 0x0409}, 0x0409},         // primary 0x101 is not primary 0x001: ten bits count
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.chosen, ChooseLanguage(c.requested, c.available, c.user)) << std::hex << c.requested << " " << c.user;
}

// One language folder per program: the files stay open for the process.
TEST(LanguageStoreTest, ListsTheFolderAndReportsAndThrowsOnFailures) {
    static const testsupport::TempFolder folder;
    const std::string french = "[Shared]\nIDS_HELLO = Bonjour\n";
    folder.Write("TS1036.lng", french);
    folder.Write("TS1034.LNG", "[Shared]\nIDS_HELLO = Hola\n");
    folder.Write("ts1033.lng", "[Shared]\nIDS_HELLO = Hello\n");
    for (const char* skipped : {"TS0.lng", "S7.lng", "TS1031.txt"}) folder.Write(skipped, "[Shared]\nIDS_HELLO = x\n");
    folder.Write("TS1049.lng", "[Shared]\n");   // one byte below the 10-byte minimum
    folder.Write("TS1051.lng", "[Shared]\r\n"); // exactly the minimum
    folder.Write("TS1050.lng", "[Shared]\n<CODEPAGE 1252>\n");
    ConfigureLanguageFiles(folder.Path(), "TS", "lng");
    EXPECT_EQ((std::set<std::uint16_t>{1033, 1034, 1036, 1049, 1050, 1051}), ListLanguageFiles());
    std::uint64_t size = 0;
    EXPECT_EQ(langplatform::JoinPath(folder.Path(), "TS1036.lng"), GetLanguageFilePath(1036, size));
    EXPECT_EQ(french.size(), size);

    std::vector<std::string> reports;
    SetLoadFailureReporter([&](const std::string& text) { reports.push_back(text); });
    EXPECT_THROW(LoadLanguageFile(1049), LangStrings::filesize_failure);
    EXPECT_EQ("Bonjour", LangSection(LoadLanguageFile(1036), "shared").Lookup("IDS_HELLO").value_or("(none)"));
    EXPECT_NO_THROW(LoadLanguageFile(1051));
    EXPECT_THROW(LoadLanguageFile(1040), LangStrings::language_not_found);
    EXPECT_THROW(LoadLanguageFile(1050), LanguageFile::syntax_error);
    SetLoadFailureReporter(nullptr);
    ASSERT_EQ(3u, reports.size());
    EXPECT_EQ(0u, reports[0].find("Caught exception: filesize_failure thrown by GetLanguageFilePath()")) << reports[0];
    EXPECT_EQ(0u, reports[1].find("Caught exception: language_not_found thrown by GetLanguageFilePath()")) << reports[1];
    EXPECT_NE(std::string::npos, reports[2].find("line 2: Specified codepage does not appear")) << reports[2];
}

} // namespace
