// fennel.exe under stress with the recording engine of recorder/: many burns started at
// once, and silent burns of refused tracks and discs, erases and each fault the engine can
// inject. Every process a case starts must end by itself with exit code 0.
#include "BurnCase.h"

#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr DWORD kStormTimeoutMs = 90000;

const std::string kBlank80 = "Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n";

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
    EXPECT_TRUE(ImageExists());
}

TEST_F(ReliabilityProcessTest, EachSilentBurnEndsWithItsResults) {
    const struct {
        std::string disc; // drive-file lines
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks; // empty: no track results at all
        bool image;
        std::vector<std::string> files = {"a.wav", "b.wav", "c.wav"}; // none: no playlist
        std::string flags = "/S";
        bool audioDiscs = false; // Plugin_UseDiskWithAudioTracks
    } rows[] = {
        {kBlank80 + "Fault.StartupMs=3000\r\n", 0, {0, 0, 0}, true},
        // The client gives up after 5 s; a silent run then has no engine and burns nothing.
        {kBlank80 + "Fault.StartupMs=7000\r\n", -3, {}, false},
        {kBlank80 + "Fault.MediaInfo=1\r\n", -10, {-3, -3, -3}, false},
        {kBlank80 + "Ready=0\r\n", -10, {-3, -3, -3}, false},
        {kBlank80 + "Fault.RefusePrepare=1\r\n", -1, {-3, -3, -3}, false},
        {kBlank80 + "Fault.FailAtPercent=50\r\n", -1, {0, -1, -3}, false},
        {kBlank80, 1, {0, -7, 0}, true, {"a.wav", "b.ogg", "c.wav"}},
        {"Media=CD-R\r\nContent=audio\r\n", 0, {0}, true, {"a.wav"}, "/S", true},
        {"Media=CD-R\r\nContent=audio\r\n", -10, {-3}, false, {"a.wav"}},
        {"Media=CD-R\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n", -10, {-3}, false, {"a.wav"}, "/S", true},
        {"Media=none\r\n", -10, {-3}, false, {"a.wav"}},
        {"Media=CD-RW\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n", 0, {0, 0}, true, {"a.wav", "b.wav"}, "/S /E"},
        {"Media=CD-RW\r\nContent=audio\r\nFault.EraseFailAtPercent=50\r\n", -8, {}, false, {"a.wav"}, "/S /E", true},
        {"Media=CD-RW\r\nContent=audio\r\n", -9, {}, false, {}, "/S /E", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disc + row.flags + (row.audioDiscs ? " audio discs" : ""));
        ASSERT_TRUE(DeleteKeyTree(Area()));
        Drive(row.disc);
        FreshDisc();
        std::string exe = FennelExe();
        if (row.audioDiscs) {
            exe = InstallFennel(temp_.Path(), "fennel.exe", {"FN1033.lng"});
            temp_.Write("Fennel.qcf", SignedConfiguration({{"Plugin_UseDiskWithAudioTracks", "1"}}));
        }
        const std::string list = row.files.empty() ? "" : " \"" + Playlist(row.files) + "\"";
        const Outcome outcome = RunFennel(exe, row.flags + list, temp_.Path());
        EXPECT_EQ("0", outcome.exit);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(0, Value("EngineCheckResult"));
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        EXPECT_EQ(!row.tracks.empty(), KeyExists(Area() + "\\TrackResults"));
        EXPECT_EQ(row.tracks, Tracks(row.tracks.size()));
        EXPECT_EQ(row.image, ImageExists());
    }
}

} // namespace
