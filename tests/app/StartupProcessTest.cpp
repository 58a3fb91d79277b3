// fennel.exe's start-up failures: language first, then the configuration file beside the
// program and the registry area it names. Each situation is built in a temporary folder that
// holds a copy of fennel.exe and the files the case chooses.
#include "BurnCase.h"
#include "common/TestPaths.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

using StartupProcessTest = BurnCase;

TEST_F(StartupProcessTest, EveryStartupFailureShowsOneBoxAndEndsWithOne) {
    const std::string source = ReadBytes(WindowsPath(std::string(FENNEL_SOURCE_DIR) + "/config/Fennel.txt"));
    // A declared field must be given a value: both lines go.
    const std::string withoutBase =
        Signed(ReplaceLine(ReplaceLine(source, "&DEFINE_FIELD& Plugin_RegistryBase", ""), "Plugin_RegistryBase", ""));
    const std::string emptyBase = Signed(ReplaceLine(source, "Plugin_RegistryBase", "Plugin_RegistryBase"));
    // A key name longer than the registry allows.
    const std::string badArea = Signed(ReplaceLine(source, "Plugin_RegistryBase",
                                                   "Plugin_RegistryBase = Software\\" + std::string(300, 'F')));

    const std::string english = "FN1033.lng";
    const std::string unreadable = "Unable to read certificate file '@\\Fennel.qcf'.";
    const std::string noBase = "Plugin_RegistryBase not defined in certificate";
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> written; // file name, bytes
        std::vector<std::string> copied;                           // from beside the tests
        // The reason after the folder part ('@' stands for the folder); null: the text of
        // the language loader's own box, shown first.
        const char* reason;
        const char* button; // of the failure box
    } cases[] = {
        {"no language files", {}, {"Fennel.qcf"}, "Unable to run this program: no language files were found.", "OK"},
        {"language file with a syntax error", {{english, "[Shared]\r\nIDS_PLUGIN_APP Fennel\r\n"}}, {"Fennel.qcf"},
         nullptr, "OK"},
        {"configuration file missing", {}, {english}, unreadable.c_str(), "&OK"},
        {"no Plugin_RegistryBase", {{"Fennel.qcf", withoutBase}}, {english}, noBase.c_str(), "&OK"},
        {"empty Plugin_RegistryBase", {{"Fennel.qcf", emptyBase}}, {english}, noBase.c_str(), "&OK"},
        {"registry area refused", {{"Fennel.qcf", badArea}}, {english}, "", "&OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string exe = InstallFennel(folder.Path(), "fennel.exe", c.copied);
        ASSERT_FALSE(exe.empty()) << "GetLastError() = " << GetLastError();
        for (const auto& [name, bytes] : c.written) folder.Write(name, bytes);

        const Outcome outcome = RunFennel(exe, "", temp_.Path(), {IDOK, IDOK});
        EXPECT_EQ("1", outcome.exit);
        ASSERT_EQ(c.reason ? 1u : 2u, outcome.boxes.size());
        std::string reason = c.reason ? c.reason : outcome.boxes[0].text.substr(18);
        if (!c.reason) {
            EXPECT_EQ("LoadLanguageFile", outcome.boxes[0].caption);
            EXPECT_EQ(0u, outcome.boxes[0].text.rfind("Caught exception: ", 0)) << outcome.boxes[0].text;
            EXPECT_NE(std::string::npos, reason.find("syntax_error")) << reason;
        }
        if (const std::size_t at = reason.find('@'); at != std::string::npos) reason.replace(at, 1, folder.Path());
        const ShownBox& box = outcome.boxes.back();
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ("Unable to initialize plugin '" + folder.Path() + "'.  " + reason, box.text);
        EXPECT_EQ(std::vector<std::string>{c.button}, box.buttons);
        EXPECT_FALSE(KeyExists(Area())) << "nothing may be written";
    }
}

} // namespace
