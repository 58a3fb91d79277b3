// fennel.exe started as the host starts it: without a recording engine, each command line's
// boxes (in the user's language) and result values, the registration switches, the
// single-instance sentinel, and the server mode; with one, the engine check and media query.
#include "BurnCase.h"
#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

using FennelProcessTest = BurnCase;

const char kPluginApp[] = "Fennel CD Burner";
const char kAppFr[] = "Graveur de CD Fennel";
const char kBurnResults[] = "BurnResults";
const char kEngineCheck[] = "EngineCheckResult";
enum class Sentinel { Free, Held, Refused };

TEST_F(FennelProcessTest, EachCommandLineShowsItsBoxesAndWritesItsValues) {
    const std::string playlist = Quoted(temp_.Write("list.m3u", "C:\\Music\\one.wma\r\nC:\\Music\\two.wma\r\n"));
    const ExpectedBox usage{kPluginApp, "This program records audio CDs", {"&OK"}};
    const Values unusable{{kBurnResults, -4}};
    struct Row {
        std::string arguments;
        std::vector<ExpectedBox> boxes;
        Values values;
        const char* locale = "00000409";
        // Non-empty: a copy of the program in a folder whose name holds dashes, with these
        // language files and the configuration file.
        std::vector<std::string> languageFiles = {};
        Sentinel sentinel = Sentinel::Free;
        const char* exit = "0";
        const char* output = ""; // a part of the program's output
    };
    const Row rows[] = {
        // Registration switches end at once without initialisation.
        {"/UNREGSERVER", {}, {}},
        {"/RegServer", {}, {}, "00000409", {"FN1033.lng"}},
        // A switch followed by more text is the burn mode; no engine: the partner's box.
        {"/RegServer extra",
         {{"Lecteur Windows Media", "Aucun logiciel de gravure de CD n'a \xC3\xA9t\xC3\xA9 trouv\xC3\xA9", {"&Oui", "&Non"},
           IDNO}},
         {{kBurnResults, -3}, {kEngineCheck, 2}}, "0000040C", {}, Sentinel::Free, "0",
         "Unknown command-line flag '/RegServer'"},
        {"/S " + playlist, {}, {{kBurnResults, -3}, {kEngineCheck, 2}}},
        // A second burn leaves the first one's media and track values alone.
        {"/S " + playlist, {{kAppFr, "Un autre CD est en cours de gravure.", {"&OK"}}},
         {{kBurnResults, -3}, {kEngineCheck, 2}, {"MediaTimeAvailable", 1234}}, "0000040C", {}, Sentinel::Held},
        {"/S " + playlist, {{kPluginApp, "Unable to create the single-instance sentinel"}},
         {{kBurnResults, -1}, {kEngineCheck, 2}}, "00000409", {}, Sentinel::Refused, "1"},
        // An empty command line: the usage box in the language of the user's locale.
        {"", {usage}, unusable},
        {"", {{kAppFr, "Ce programme grave des CD audio", {"&OK"}}}, unusable, "0000040C"},
        {"", {{"Fennel CD \xE3\x83\xA9\xE3\x82\xA4\xE3\x82\xBF\xE3\x83\xBC", "", {"OK"}}}, unusable, "00000411"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("[" + row.arguments + "] " + row.locale);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        UserLocale locale(row.locale);
        ASSERT_TRUE(locale.Set());
        TempFolder folder;
        std::string exe = FennelExe();
        if (!row.languageFiles.empty()) {
            ASSERT_NE(std::string::npos, folder.Path().find('-'));
            std::vector<std::string> files = row.languageFiles;
            files.push_back("Fennel.qcf");
            exe = InstallFennel(folder.Path(), "fennel-copy.exe", files);
            ASSERT_FALSE(exe.empty()) << "GetLastError() = " << GetLastError();
        }
        // A mutex that carries the sentinel's name makes its creation fail.
        UniqueKernelHandle sentinel(row.sentinel == Sentinel::Held      ? CreateSemaphoreA(nullptr, 0, 1, "fennel sentinel")
                                    : row.sentinel == Sentinel::Refused ? CreateMutexA(nullptr, FALSE, "fennel sentinel")
                                                                        : nullptr);
        ASSERT_EQ(row.sentinel != Sentinel::Free, static_cast<bool>(sentinel));
        if (row.sentinel == Sentinel::Held) {
            ASSERT_TRUE(WriteDword(Area(), kBurnResults, 0));
            ASSERT_TRUE(WriteDword(Area(), "MediaTimeAvailable", 1234));
            ASSERT_TRUE(WriteDword(Area() + "\\TrackResults", "1", static_cast<DWORD>(-8)));
        }
        const Outcome outcome = Expect(row.arguments, row.boxes, row.values, exe);
        EXPECT_EQ(row.exit, outcome.exit);
        EXPECT_NE(std::string::npos, outcome.output.find(row.output)) << outcome.output;
        if (row.sentinel == Sentinel::Held) {
            EXPECT_EQ((std::vector<std::string>{"1"}), ValueNames(Area() + "\\TrackResults"));
            EXPECT_EQ(-8, Value("1", Area() + "\\TrackResults"));
        } else {
            EXPECT_TRUE(SubkeyNames(Area()).empty());
        }
    }
}

// With the engine of recorder/ and one virtual drive: the engine check's box and the media
// query's values. The burns themselves are ReliabilityProcessTest's.
TEST_F(FennelProcessTest, EngineCheckAndMediaQueryWriteTheirValues) {
    const struct {
        const char* name;
        std::string drive; // disc lines; a whole drive file when it starts with '['
        const char* arguments;
        std::vector<ExpectedBox> boxes;
        Values values;
    } rows[] = {
        {"no drive", "[Engine]\r\n", "/T", {{"Windows Media Player", "No CD recorder was found", {}, IDNO}},
         {{kBurnResults, -3}, {kEngineCheck, 1}}},
        {"no disc", "Media=none\r\n", "/S /T", {},
         {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", -1}, {"MediaType", 0}}},
        // 74 minutes less the 10 of audio and what a new session needs on the disc.
        {"CD-R with audio", "Media=CD-R\r\nCapacity=74\r\nContent=audio\r\nContentMinutes=10\r\n", "/S /T", {},
         {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", 3688}, {"MediaType", 2}}},
        // Not silent: a usable drive shows no box.
        {"blank CD-RW", "Media=CD-RW\r\nCapacity=80\r\nContent=blank\r\n", "/T", {},
         {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", 4800}, {"MediaType", 4}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        if (row.drive[0] == '[') {
            ASSERT_TRUE(UseDriveFile(temp_.Write("drives.ini", row.drive)));
        } else {
            Drive(row.drive);
        }
        EXPECT_EQ("0", Expect(row.arguments, row.boxes, row.values).exit);
    }
}

TEST_F(FennelProcessTest, TheServerModeShowsNoWindowAndEndsWhenIdle) {
    ChildProcess child(Quoted(FennelExe()) + " -Embedding", temp_.Path());
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(nullptr, FindProcessWindow(child.Id(), "", "", 1000));
    ASSERT_TRUE(child.WaitForExit(20000)) << "the idle server did not end";
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_EQ(-3, Value(kBurnResults));
}

} // namespace
