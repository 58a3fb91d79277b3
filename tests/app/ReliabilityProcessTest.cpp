// fennel.exe under stress with the recording engine of recorder/: many burns started at
// once, and every fault the engine can inject in a silent burn. Each case ends with every
// process it started gone by itself: none hangs, none is left behind.
#include "BurnCase.h"
#include "common/ChildProcess.h"
#include "common/ProcessWindows.h"
#include "common/TestPaths.h"
#include "support/UniqueHandle.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr DWORD kStormTimeoutMs = 90000;

const std::string kBlank80 = "Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n";

// Ids of the running processes named fennel.exe.
std::vector<DWORD> FennelProcesses() {
    std::vector<DWORD> ids;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, "fennel.exe") == 0) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

struct Ending {
    std::string exit; // the exit code, or why there is none
    std::vector<ShownBox> boxes;
};

// Presses the box's first button: its OK (a lone OK button carries the Cancel identifier).
void PressFirstButton(HWND box) {
    if (HWND button = FindWindowExA(box, nullptr, "Button", nullptr)) PressButton(box, GetDlgCtrlID(button));
}

// Starts count copies of the command line at once and answers every box each shows with its first button
// until all have ended; a process still running after timeoutMs is killed.
std::vector<Ending> RunAtOnce(const std::string& commandLine, const std::string& folder, int count, DWORD timeoutMs) {
    std::vector<std::unique_ptr<ChildProcess>> children;
    std::vector<Ending> endings(static_cast<std::size_t>(count));
    std::vector<std::set<HWND>> answered(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) children.push_back(std::make_unique<ChildProcess>(commandLine, folder));
    const ULONGLONG start = GetTickCount64();
    for (bool running = true; running && GetTickCount64() - start < timeoutMs; Sleep(50)) {
        running = false;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (!children[i]->Running()) continue;
            running = true;
            HWND box = FindMessageBox(children[i]->Id());
            if (!box) continue;
            if (answered[i].insert(box).second) {
                Sleep(50); // let the box finish filling in its controls
                endings[i].boxes.push_back(ReadMessageBox(box));
            }
            PressFirstButton(box); // again on later passes while the box is still there
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        ChildProcess& child = *children[i];
        if (!child.Started()) {
            endings[i].exit = "not started, error " + std::to_string(child.Error());
        } else if (child.Running()) {
            child.Kill();
            endings[i].exit = "killed: still running";
        } else {
            endings[i].exit = std::to_string(static_cast<long>(child.ExitCode()));
        }
    }
    return endings;
}

using ReliabilityProcessTest = BurnCase;

TEST_F(ReliabilityProcessTest, LaunchStormBurnsOnceAndTellsTheOthersToWait) {
    // Paced, so that the burn outlasts the start of all the others.
    Drive(kBlank80 + "Paced=1\r\nWriteSpeeds=16\r\n");
    FreshDisc();
    const std::string line = Quoted(FennelExe()) + " /S \"" + Playlist({"a.wav", "b.wav"}) + "\"";
    const std::vector<Ending> endings = RunAtOnce(line, temp_.Path(), 10, kStormTimeoutMs);

    int burns = 0;
    for (const Ending& ending : endings) {
        EXPECT_EQ("0", ending.exit);
        if (ending.boxes.empty()) {
            ++burns;
            continue;
        }
        ASSERT_EQ(1u, ending.boxes.size());
        EXPECT_EQ(0u, ending.boxes[0].text.rfind("Another CD is being recorded", 0)) << ending.boxes[0].text;
    }
    EXPECT_EQ(1, burns);
    EXPECT_EQ(0, Value("EngineCheckResult"));
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), Tracks(2));
    EXPECT_FALSE(Value("3", Area() + "\\TrackResults"));
    EXPECT_TRUE(ImageExists());
    EXPECT_TRUE(FennelProcesses().empty());
}

TEST_F(ReliabilityProcessTest, EachEngineFaultEndsASilentBurnWithItsResults) {
    const struct {
        const char* fault; // drive-file lines added to a blank 80-minute CD-R
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks; // empty: no track results at all
        bool image;
    } rows[] = {
        {"Fault.StartupMs=3000\r\n", 0, {0, 0, 0}, true},
        // The client gives up after 5 s; a silent run then has no engine and burns nothing.
        {"Fault.StartupMs=7000\r\n", -3, {}, false},
        {"Fault.BusyCount=3\r\n", 0, {0, 0, 0}, true},
        // Busy beyond the speed query's retries: the write speed stays the engine's own.
        {"Fault.BusyCount=40\r\n", 0, {0, 0, 0}, true},
        {"Fault.MediaInfo=1\r\n", -10, {-3, -3, -3}, false},
        {"Ready=0\r\n", -10, {-3, -3, -3}, false},
        {"Fault.ReadyAfterMs=60000\r\n", -10, {-3, -3, -3}, false},
        {"Fault.RefusePrepare=1\r\n", -1, {-3, -3, -3}, false},
        {"Fault.FailAtPercent=0\r\n", -1, {-1, -3, -3}, false},
        {"Fault.FailAtPercent=50\r\n", -1, {0, -1, -3}, false},
        {"Fault.FailAtPercent=99\r\n", -1, {0, 0, -1}, false},
        // Three tracks of 4 s take about 2.8 MB; the image fills up within the second.
        {"Fault.ImageLimitBytes=1500000\r\n", -1, {0, -1, -3}, false},
    };
    const std::string playlist = Playlist({"a.wav", "b.wav", "c.wav"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        Drive(kBlank80 + row.fault);
        FreshDisc();
        const Outcome outcome = Fennel("/S \"" + playlist + "\"");
        EXPECT_EQ("0", outcome.exit);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(0, Value("EngineCheckResult"));
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        if (row.tracks.empty()) {
            EXPECT_FALSE(KeyExists(Area() + "\\TrackResults"));
        } else {
            EXPECT_EQ(row.tracks, Tracks(row.tracks.size()));
        }
        EXPECT_EQ(row.image, ImageExists());
    }
    EXPECT_TRUE(FennelProcesses().empty());
}

} // namespace
