// The language start-up against the native stand-in of the system: registry locale, code
// pages, the operating-system support check, and the setup it reports.
#include "LangTestSupport.h"
#include "lib/LangStrings/ActiveLanguage.h"
#include "lib/LangStrings/LangPlatformDouble.h"
#include "lib/LangStrings/LangStartup.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using langplatform::testing::CurrentSettings;
using langplatform::testing::Settings;

struct StartupTest : ::testing::Test {
    void SetUp() override { saved_ = CurrentSettings(), SetLoadFailureReporter([](const std::string& text) { ADD_FAILURE() << text; }); }
    void TearDown() override { CurrentSettings() = saved_, SetLoadFailureReporter(nullptr), ActiveLanguage::Clear(); }
    static void SetUpTestSuite() {
        folder_.Write("FN1033.lng", "[Shared]\nIDS_OK = OK\nNO_OS_LANGUAGE_SUPPORT = unused\n[Main]\nIDS_OK = Main OK\n");
        folder_.Write("FN1036.lng", "[Shared]\nIDS_OK = D'accord\n[Main]\n");
        folder_.Write("FN1041.lng", "[Shared]\n<CODEPAGE 932>\nIDS_OK = \x82\xA8\x82\xAB\n"
                                     "NO_OS_LANGUAGE_SUPPORT = \x93\xFA\x96\x7B\x8C\xEA\n");
        folder_.Write("FN1049.lng", "[Shared]\nIDS_OK = Da\n");
        folder_.Write("FN1031.lng", "[Main]\nIDS_OK = Gut\n");
    }

    static inline const testsupport::TempFolder folder_;
    Settings saved_;
};

TEST_F(StartupTest, UserLanguageAndSystemCodePages) {
    const std::tuple<const char*, const char*, std::uint16_t, std::uint16_t> languages[] = {
        {"", "0000040c", 0, 0x040C}, {"zz", "00000000", 0, 0}, {"00010407", "0407", 0x0407, 0x0407}};
    for (const auto& [current, defaultUser, expected0, expected1] : languages) {
        CurrentSettings().userLocale[0] = current, CurrentSettings().userLocale[1] = defaultUser;
        EXPECT_EQ(expected0, GetUserUILanguage(kCurrentUser)) << current;
        EXPECT_EQ(expected1, GetUserUILanguage(kDefaultUser)) << defaultUser;
    }
    CurrentSettings() = Settings{};
    CurrentSettings().userLocale[0] = "00000411";
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> pages[] = {
        // user ANSI, user OEM, system ANSI, system OEM -> context 0, context 1
        {1251, 866, 1252, 437, 1252, 1251},
        {2, 866, 0, 850, 850, 866},
        {0, 1, 2, 0, 932, 932}, // no real answer: the ANSI code page of the user's language
    };
    for (const auto& [userAnsi, userOem, systemAnsi, systemOem, expected0, expected1] : pages) {
        Settings& settings = CurrentSettings();
        settings.userAnsiCodePage = userAnsi, settings.userOemCodePage = userOem;
        settings.systemAnsiCodePage = systemAnsi, settings.systemOemCodePage = systemOem;
        EXPECT_EQ(expected0, GetOSCodepage(kCurrentUser)) << userAnsi;
        EXPECT_EQ(expected1, GetOSCodepage(kDefaultUser)) << userAnsi;
    }
}

// The extra section comes before [Shared]; errors are matched in part (some name the file).
// The code page recorded for the windows is the shown language's, none while none is shown.
TEST_F(StartupTest, StartLanguageChecksThatTheSystemShowsTheLanguageAndAddsTheSections) {
    struct Case { // language: of the lookup context, 0 without one; ok: IDS_OK when ready
        const char* name; const char* user; std::uint32_t systemCodePage; std::uint16_t requested; const char* prefix;
        const char* extra; std::uint16_t language; const char* ok; std::string error; std::uint32_t shownCodePage;
    };
    const Case cases[] = {
        {"the user's language", "0000040C", 1252, 0, "FN", "", 0x040C, "D'accord", "", 1252},
        {"a language of the system's code page, without [Shared]", "00000409", 1252, 0x0C07, "FN", "", 0x0407, nullptr,
         "has no section [Shared]", 0},
        {"English is always shown", "00000411", 932, 0x0409, "FN", "", 0x0409, "OK", "", 1252},
        {"the extra section comes first", "00000409", 1252, 0x0409, "FN", "Main", 0x0409, "Main OK", "", 1252},
        {"a missing extra section", "00000409", 1252, 0x0409, "FN", "Missing", 0x0409, nullptr, "has no section [Missing]",
         0},
        {"double-byte language on a single-byte system", "00000409", 1252, 0x0411, "FN", "", 0x0411, nullptr,
         "\x93\xFA\x96\x7B\x8C\xEA", 0},
        {"double-byte language on its own system", "00000409", 932, 0x0411, "FN", "", 0x0411, "\x82\xA8\x82\xAB", "", 932},
        {"no text for the failure", "00000409", 1252, 0x0419, "FN", "", 0x0419, nullptr,
         "Unable to run this program: this system cannot show the texts of language 1049.", 0},
        {"no files", "00000409", 1252, 0, "ZZ", "", 0, nullptr, "Unable to run this program: no language files were found.",
         0},
    };
    for (const Case& c : cases) {
        CurrentSettings() = Settings{};
        CurrentSettings().userLocale[0] = CurrentSettings().userLocale[1] = c.user;
        CurrentSettings().userAnsiCodePage = CurrentSettings().systemAnsiCodePage = c.systemCodePage;
        LanguageSetup setup;
        StartLanguage(setup, c.requested, folder_.Path(), c.prefix, "lng", c.extra);
        EXPECT_EQ(c.error.empty(), setup.errorText.empty()) << c.name;
        EXPECT_NE(std::string::npos, setup.errorText.find(c.error)) << c.name << ": " << setup.errorText;
        EXPECT_EQ(c.ok != nullptr, setup.ready) << c.name;
        EXPECT_EQ(c.language, setup.context ? setup.context->Language() : 0) << c.name;
        EXPECT_EQ(c.systemCodePage, setup.fallbackCodePage) << c.name;
        if (c.ok && setup.ready) { EXPECT_EQ(c.ok, setup.context->Lookup("IDS_OK").value_or("(none)")) << c.name; }
        ActiveLanguage::Record(setup);
        EXPECT_EQ(c.shownCodePage, ActiveLanguage::ShownCodePage()) << c.name;
    }
    // A language code page the system can't use gives way to the system's.
    ActiveLanguage::SetLanguageCodePage(12345);
    EXPECT_EQ(1252u, ActiveLanguage::ConversionCodePage());
}

} // namespace
