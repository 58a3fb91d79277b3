// fennel.exe's start-up as a whole: language first, then the configuration file beside the
// program, the registry area it names and the start value. Each situation is built in a
// temporary folder that holds a copy of fennel.exe and the files the case chooses; the
// boxes are read from their windows.
#include "FennelRun.h"
#include "common/TempFolder.h"
#include "common/TestPaths.h"
#include "common/TestRegistry.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ConfigurationSource() {
    return ReadBytes(WindowsPath(std::string(FENNEL_SOURCE_DIR) + "/config/Fennel.txt"));
}

// The shipped configuration text with the line that starts with prefix replaced.
std::string ReplaceLine(std::string text, const std::string& prefix, const std::string& line) {
    const std::size_t start = text.find("\n" + prefix);
    if (start == std::string::npos) return text;
    const std::size_t end = text.find('\n', start + 1);
    return text.replace(start + 1, end == std::string::npos ? std::string::npos : end - start - 1, line);
}

// A configuration file signed with the program's key.
std::string Signed(const std::string& text) {
    SystemRandom random;
    return CertificateMaker::Make(text, SigningKey::Load(WindowsPath(FENNEL_SIGNING_KEY_FILE)), random);
}

std::string FailureBoxText(const std::string& folder, const std::string& reason) {
    return "Unable to initialize plugin '" + folder + "'.  " + reason;
}

class StartupProcessTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ShippedArea().empty()) << "no registry area in the Fennel.qcf beside the tests";
        ASSERT_TRUE(english_.Set());
        ASSERT_TRUE(DeleteKeyTree(ShippedArea()));
    }
    void TearDown() override { DeleteKeyTree(ShippedArea()); }

    UserLocale english_{"00000409"};
    RecorderDrives noEngine_{kNoEngine}; // these cases see no recording engine
    TempFolder work_;
};

TEST_F(StartupProcessTest, AGoodConfigurationWritesOnlyTheStartValue) {
    const std::string playlist = work_.Write("list.m3u", "C:\\Music\\one.wav\r\n");
    const Outcome outcome = RunFennel(FennelExe(), "/U " + Quoted(playlist), work_.Path());
    EXPECT_EQ("0", outcome.exit);
    EXPECT_TRUE(outcome.boxes.empty()) << outcome.boxes.front().text;
    EXPECT_EQ(std::vector<std::string>{"BurnResults"}, ValueNames(ShippedArea()));
    EXPECT_TRUE(SubkeyNames(ShippedArea()).empty());
    EXPECT_EQ(static_cast<DWORD>(-3), ReadDword(ShippedArea(), "BurnResults"));
}

TEST_F(StartupProcessTest, EveryStartupFailureShowsOneBoxAndEndsWithOne) {
    const std::string good = ReadBytes(SelfFolder() + "\\Fennel.qcf");
    ASSERT_FALSE(good.empty());
    std::string tampered = good;
    tampered[tampered.size() / 2] ^= 0x20;
    const std::string source = ConfigurationSource();
    // A declared field must be given a value: both lines go.
    const std::string withoutBase =
        Signed(ReplaceLine(ReplaceLine(source, "&DEFINE_FIELD& Plugin_RegistryBase", ""), "Plugin_RegistryBase", ""));
    const std::string emptyBase = Signed(ReplaceLine(source, "Plugin_RegistryBase", "Plugin_RegistryBase"));
    // A key name longer than the registry allows.
    const std::string badArea = Signed(ReplaceLine(source, "Plugin_RegistryBase",
                                                   "Plugin_RegistryBase = Software\\" + std::string(300, 'F')));

    const std::string english = "FN1033.lng";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> written; // file name, bytes
        std::vector<std::string> copied;                           // from beside the tests
        // The reason after the folder part; nullopt: the text the language loader showed.
        std::function<std::optional<std::string>(const std::string& folder)> reason;
        std::vector<std::string> buttons; // of the failure box
    };
    const Case cases[] = {
        {"no language files", {}, {"Fennel.qcf"},
         [](const std::string&) { return "Unable to run this program: no language files were found."; },
         {"OK"}},
        {"language file with a syntax error", {{english, "[Shared]\r\nIDS_PLUGIN_APP Fennel\r\n"}}, {"Fennel.qcf"},
         [](const std::string&) { return std::nullopt; }, {"OK"}},
        {"configuration file missing", {}, {english},
         [](const std::string& folder) { return "Unable to read certificate file '" + folder + "\\Fennel.qcf'."; },
         {"&OK"}},
        {"configuration file tampered with", {{"Fennel.qcf", tampered}}, {english},
         [](const std::string& folder) { return "Unable to read certificate file '" + folder + "\\Fennel.qcf'."; },
         {"&OK"}},
        {"no Plugin_RegistryBase", {{"Fennel.qcf", withoutBase}}, {english},
         [](const std::string&) { return "Plugin_RegistryBase not defined in certificate"; }, {"&OK"}},
        {"empty Plugin_RegistryBase", {{"Fennel.qcf", emptyBase}}, {english},
         [](const std::string&) { return "Plugin_RegistryBase not defined in certificate"; }, {"&OK"}},
        {"registry area refused", {{"Fennel.qcf", badArea}}, {english},
         [](const std::string&) { return ""; }, {"&OK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string exe = InstallFennel(folder.Path(), "fennel.exe", c.copied);
        ASSERT_FALSE(exe.empty()) << "GetLastError() = " << GetLastError();
        for (const auto& [name, bytes] : c.written) folder.Write(name, bytes);

        const Outcome outcome = RunFennel(exe, "", work_.Path(), {IDOK, IDOK});
        EXPECT_EQ("1", outcome.exit);
        std::optional<std::string> reason = c.reason(folder.Path());
        std::size_t failureBox = 0;
        if (!reason) {
            // The loader's own report comes first; its text is the start-up's reason.
            ASSERT_EQ(2u, outcome.boxes.size());
            EXPECT_EQ("LoadLanguageFile", outcome.boxes[0].caption);
            const std::string prefix = "Caught exception: ";
            ASSERT_EQ(0u, outcome.boxes[0].text.rfind(prefix, 0)) << outcome.boxes[0].text;
            EXPECT_NE(std::string::npos, outcome.boxes[0].text.find("syntax_error")) << outcome.boxes[0].text;
            reason = outcome.boxes[0].text.substr(prefix.size());
            failureBox = 1;
        }
        ASSERT_EQ(failureBox + 1, outcome.boxes.size());
        const ShownBox& box = outcome.boxes[failureBox];
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ(FailureBoxText(folder.Path(), *reason), box.text);
        EXPECT_EQ(c.buttons, box.buttons);
        EXPECT_FALSE(KeyExists(ShippedArea())) << "nothing may be written";
    }
}

TEST_F(StartupProcessTest, TheLanguageFollowsTheUserLocale) {
    struct Case {
        const char* locale;
        std::vector<std::string> languageFiles; // empty: the program in the build folder
        const char* caption;                     // IDS_PLUGIN_APP of the language expected
        const char* okButton;
    };
    const Case cases[] = {
        {"00000409", {}, "Fennel CD Burner", "&OK"},
        {"0000040C", {}, "Graveur de CD Fennel", "&OK"},
        {"00000411", {}, "Fennel CD \xE3\x83\xA9\xE3\x82\xA4\xE3\x82\xBF\xE3\x83\xBC", "OK"},
        {"00000C0C", {}, "Graveur de CD Fennel", "&OK"},          // French (Canada): same language
        {"00000807", {}, "Fennel CD-Brenner", "&OK"},             // German (Switzerland)
        {"00000407", {"FN1036.lng", "FN1041.lng"}, "Graveur de CD Fennel", "&OK"}, // none: the smallest
        {"00000419", {"FN1041.lng", "FN1033.lng"}, "Fennel CD Burner", "&OK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        UserLocale locale(c.locale);
        ASSERT_TRUE(locale.Set());
        TempFolder folder;
        std::string exe = FennelExe();
        if (!c.languageFiles.empty()) {
            std::vector<std::string> files = c.languageFiles;
            files.push_back("Fennel.qcf");
            exe = InstallFennel(folder.Path(), "fennel.exe", files);
            ASSERT_FALSE(exe.empty()) << "GetLastError() = " << GetLastError();
        }
        // An empty command line shows the no-command-line message with the program's name.
        const Outcome outcome = RunFennel(exe, "", work_.Path(), {IDOK});
        EXPECT_EQ("0", outcome.exit);
        ASSERT_EQ(1u, outcome.boxes.size());
        EXPECT_EQ(c.caption, outcome.boxes[0].caption);
        EXPECT_EQ(std::vector<std::string>{c.okButton}, outcome.boxes[0].buttons);
        EXPECT_EQ(std::string::npos, outcome.boxes[0].text.find('{')) << outcome.boxes[0].text;
    }
}

TEST_F(StartupProcessTest, ABurnUnderAFrenchLocaleSpeaksFrench) {
    UserLocale french("0000040C");
    ASSERT_TRUE(french.Set());
    const std::string playlist = work_.Write("list.m3u", "C:\\Music\\one.wav\r\n");
    struct Expected {
        const char* caption;
        const char* text; // prefix
        std::vector<std::string> buttons;
    };
    struct Case {
        std::string arguments;
        bool holdSentinel;
        std::vector<Expected> boxes;
        std::int32_t burnResults;
    };
    const char kAppFr[] = "Graveur de CD Fennel";
    const Case cases[] = {
        {Quoted(playlist), false,
         {{"Lecteur Windows Media", "Aucun logiciel de gravure de CD n'a \xC3\xA9t\xC3\xA9 trouv\xC3\xA9",
           {"&Oui", "&Non"}}},
         -3},
        {"", false, {{kAppFr, "Ce programme grave des CD audio", {"&OK"}}}, -4},
        {"/S " + Quoted(playlist), true, {{kAppFr, "Un autre CD est en cours de gravure.", {"&OK"}}}, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        ASSERT_TRUE(DeleteKeyTree(ShippedArea()));
        UniqueKernelHandle sentinel;
        if (c.holdSentinel) {
            sentinel.reset(CreateSemaphoreA(nullptr, 0, 1, "fennel sentinel"));
            ASSERT_TRUE(sentinel) << "GetLastError() = " << GetLastError();
        }
        const Outcome outcome = RunFennel(FennelExe(), c.arguments, work_.Path(), {IDNO, IDOK});
        EXPECT_EQ("0", outcome.exit);
        ASSERT_EQ(c.boxes.size(), outcome.boxes.size());
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            const ShownBox& box = outcome.boxes[i];
            EXPECT_EQ(c.boxes[i].caption, box.caption);
            EXPECT_EQ(0u, box.text.rfind(c.boxes[i].text, 0)) << box.text;
            EXPECT_EQ(c.boxes[i].buttons, box.buttons);
            std::string all = box.caption + box.text;
            for (const std::string& button : box.buttons) all += button;
            EXPECT_EQ(std::string::npos, all.find('{')) << all;
        }
        EXPECT_EQ(static_cast<DWORD>(c.burnResults), ReadDword(ShippedArea(), "BurnResults"));
    }
}

} // namespace
