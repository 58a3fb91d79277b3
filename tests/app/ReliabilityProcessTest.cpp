// fennel.exe under stress with the recording engine of recorder/: many burns started at
// once, and silent burns of refused tracks, unusable discs and every fault the engine can
// inject. Each case ends with every process it started gone by itself.
#include "BurnCase.h"
#include "common/TestPaths.h"
#include "support/UniqueHandle.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr DWORD kStormTimeoutMs = 90000;

const std::string kBlank80 = "Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n";
// Track values that a row leaves open around a failure, where they depend on what the
// progress polling saw: any value, or any but recorded (0).
constexpr std::int32_t kAny = 99, kFailed = 98;

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

using ReliabilityProcessTest = BurnCase;

TEST_F(ReliabilityProcessTest, LaunchStormBurnsOnceAndTellsTheOthersToWait) {
    // Paced, so that the burn outlasts the start of all the others.
    Drive(kBlank80 + "Paced=1\r\nWriteSpeeds=16\r\n");
    FreshDisc();
    const std::string line = Quoted(FennelExe()) + " /S \"" + Playlist({"a.wav", "b.wav"}) + "\"";
    const std::vector<Outcome> endings = RunAtOnce(line, temp_.Path(), 10, {}, kStormTimeoutMs);

    int burns = 0;
    for (const Outcome& ending : endings) {
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

TEST_F(ReliabilityProcessTest, EachSilentBurnEndsWithItsResults) {
    const struct {
        std::string disc; // drive-file lines
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks; // empty: no track results at all
        bool image;
        std::vector<std::string> files = {"a.wav", "b.wav", "c.wav"};
        const char* flags = "/S";
    } rows[] = {
        {kBlank80 + "Fault.StartupMs=3000\r\n", 0, {0, 0, 0}, true},
        // The client gives up after 5 s; a silent run then has no engine and burns nothing.
        {kBlank80 + "Fault.StartupMs=7000\r\n", -3, {}, false},
        // Busy beyond the speed query's retries: the write speed stays the engine's own.
        {kBlank80 + "Fault.BusyCount=40\r\n", 0, {0, 0, 0}, true},
        {kBlank80 + "Fault.MediaInfo=1\r\n", -10, {-3, -3, -3}, false},
        {kBlank80 + "Ready=0\r\n", -10, {-3, -3, -3}, false},
        {kBlank80 + "Fault.ReadyAfterMs=60000\r\n", -10, {-3, -3, -3}, false},
        {kBlank80 + "Fault.RefusePrepare=1\r\n", -1, {-3, -3, -3}, false},
        {kBlank80 + "Fault.FailAtPercent=50\r\n", -1, {0, -1, -3}, false},
        // Paced, so that the progress polling sees the tracks go by.
        {kBlank80 + "Paced=1\r\nWriteSpeeds=16\r\nFault.FailAtPercent=50\r\n", -1, {kAny, kFailed, -3}, false},
        // Bytes flipped in the image after they were written: the read-back check fails the burn.
        {kBlank80 + "Fault.CorruptAtPercent=50\r\n", -1, {kAny, kFailed, kAny}, false},
        {kBlank80, 1, {0, -7, 0}, true, {"a.wav", "b.ogg", "c.wav"}},
        {"Media=CD-R\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n", -10, {-3}, false, {"a.wav"}},
        {"Media=none\r\n", -10, {-3}, false, {"a.wav"}},
        {"Media=CD-RW\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n", 0, {0, 0}, true, {"a.wav", "b.wav"}, "/S /E"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disc + row.files.back());
        ASSERT_TRUE(DeleteKeyTree(Area()));
        Drive(row.disc);
        FreshDisc();
        const Outcome outcome = Fennel(std::string(row.flags) + " \"" + Playlist(row.files) + "\"");
        EXPECT_EQ("0", outcome.exit);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(0, Value("EngineCheckResult"));
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        EXPECT_EQ(!row.tracks.empty(), KeyExists(Area() + "\\TrackResults"));
        const std::vector<std::int32_t> tracks = Tracks(row.tracks.size());
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (row.tracks[i] == kFailed) {
                EXPECT_NE(0, tracks[i]) << "track " << i + 1 << " never reads as recorded";
            } else if (row.tracks[i] != kAny) {
                EXPECT_EQ(row.tracks[i], tracks[i]) << "track " << i + 1;
            }
        }
        EXPECT_EQ(row.image, ImageExists());
    }
    EXPECT_TRUE(FennelProcesses().empty());
}

} // namespace
