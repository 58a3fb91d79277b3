// fennel.exe burning to real recorders: the engine's backend for Windows' recording API,
// driven through the API's stand-in (tests/standin) with scripted recorders. Each case checks
// the host's result values and what the recorder received: the PCM byte for byte with the
// plan's gaps, the disc's table of contents and CD-Text, and the calls in their order.
#include "BurnCase.h"
#include "common/StandIn.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr std::size_t kFrame = 2352;

// The 16-bit stereo samples of a tune as a recorder receives them (the WAV header is 44 bytes).
std::string Pcm(int seconds) { return Tune(seconds).substr(44); }

// The text bytes of the CD-Text packs of one type, in order.
std::string PackTexts(const std::string& packs, unsigned char type) {
    std::string text;
    for (std::size_t at = 0; at + 18 <= packs.size(); at += 18)
        if (static_cast<unsigned char>(packs[at]) == type) text += packs.substr(at + 4, 12);
    return text;
}

// Whether the lines appear in the log in this order (others may come between).
bool InOrder(const std::vector<std::string>& log, const std::vector<std::string>& lines) {
    auto at = log.begin();
    for (const std::string& line : lines)
        if ((at = std::find(at, log.end(), line)) == log.end()) return false;
    return true;
}

class RealRecorderRun : public BurnCase {
protected:
    void SetUp() override {
        BurnCase::SetUp();
        ASSERT_TRUE(StandIn::Register()) << "GetLastError() = " << GetLastError();
        // No virtual drive: the real recorder is the engine's only drive.
        ASSERT_TRUE(UseDriveFile(temp_.Write("recorder.ini", "[Engine]\r\n")));
    }
    // A silent burn of the tunes with the burn method given (empty: the shipped DAO).
    void Burn(const std::string& flags, const std::vector<std::string>& tunes, const std::string& method = "",
              bool audioDiscs = false) {
        std::vector<std::pair<std::string, std::string>> fields;
        if (!method.empty()) fields.emplace_back("Plugin_BurnMethod", method);
        if (audioDiscs) fields.emplace_back("Plugin_UseDiskWithAudioTracks", "1");
        std::string exe = FennelExe();
        if (!fields.empty()) {
            exe = InstallFennel(temp_.Path(), "fennel.exe", {"FN1033.lng"});
            temp_.Write("Fennel.qcf", SignedConfiguration(fields));
        }
        const std::string list = tunes.empty() ? "" : " \"" + Playlist(tunes) + "\"";
        const Outcome outcome = RunFennel(exe, flags + list, temp_.Path());
        EXPECT_EQ("0", outcome.exit) << outcome.output;
    }
};

TEST_F(RealRecorderRun, DiscAtOnceSendsTheWholeDiscWithItsGapsTocAndCdText) {
    StandIn recorder(temp_.Path(), "Media=CD-R\r\n");
    Burn("/S", {"a.wav", "b.wav"});
    EXPECT_EQ(0, Value("BurnResults")); // at the configuration's 16x
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), Tracks(2));
    EXPECT_TRUE(InOrder(recorder.Log(), {"acquire Fennel", "sectortype 2", "client Fennel", "underrun-free 1",
                                         "speed 1200", "prepare raw", "leadin 22500", "raw 30000", "release-media",
                                         "release"}))
        << testing::PrintToString(recorder.Log());
    // Track 1's two-second pregap, then the tunes back to back.
    EXPECT_TRUE(recorder.Read("standin-1-raw.pcm") == std::string(150 * kFrame, '\0') + Pcm(4) + Pcm(4))
        << "the program area differs from the tunes";
    EXPECT_EQ("0 01 00\n150 01 01\n450 02 01\n750 AA 01\n", recorder.Read("standin-1-raw.toc"));
    EXPECT_EQ(std::string("\0a\0b\0", 5), PackTexts(recorder.Read("standin-1-cdtext.bin"), 0x80).substr(0, 5));
}

TEST_F(RealRecorderRun, TrackAtOnceSendsEachTrackAndClosesTheDisc) {
    StandIn recorder(temp_.Path(), "Media=CD-R\r\n");
    Burn("/S", {"a.wav", "b.wav"}, "TAO");
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), Tracks(2));
    EXPECT_TRUE(InOrder(recorder.Log(), {"acquire Fennel", "underrun-free 1", "speed 1200", "prepare tao",
                                         "track 1 705600", "track 2 705600", "finalize 1", "release-media", "release"}))
        << testing::PrintToString(recorder.Log());
    EXPECT_TRUE(recorder.Read("standin-1-track01.pcm") == Pcm(4));
    EXPECT_TRUE(recorder.Read("standin-1-track02.pcm") == Pcm(4));
}

// Each refusal and failure of a recorder ends the run with the host's values, nothing written
// where the disc was not to be touched.
TEST_F(RealRecorderRun, EachRecorderFailureEndsWithItsValues) {
    const struct {
        std::string script;
        std::string flags;
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks;
        std::vector<std::string> log; // in order
        std::string method = "";
        bool audioDiscs = false;
    } rows[] = {
        {"Media=none\r\n", "/S", -10, {-3, -3}, {}},
        // The raw stream is mostly lead-in: 77 % of it lies in the second track.
        {"Media=CD-R\r\nFailAtPercent=77\r\n", "/S", -1, {0, -1}, {"prepare raw", "fail 0xC0AA0300", "release-media"}},
        {"Media=CD-R\r\nFailAtPercent=50\r\n", "/S", -1, {-1, -3}, {"prepare tao", "fail 0xC0AA0300"}, "TAO"},
        {"Media=CD-R\r\nLockedBy=Other Burner\r\n", "/S", -1, {-3, -3}, {}},
        {"Media=CD-R\r\nTracks=2\r\nUsedSectors=60000\r\n", "/S", -1, {-3, -3}, {}, "", true},
        {"Media=CD-RW\r\nTracks=3\r\nUsedSectors=90000\r\nClosed=1\r\n", "/S /E", 0, {0, 0},
         {"erase 1", "erased", "prepare raw", "release-media"}},
        {"Media=CD-RW\r\nTracks=3\r\nUsedSectors=90000\r\nEraseFailCode=0x80AA0905\r\n", "/S /E", -8, {}, {"erase 1", "fail 0x80AA0905"}, "", true},
        {"Media=CD-R\r\nTracks=3\r\nUsedSectors=90000\r\nClosed=1\r\n", "/S /E", -8, {}, {}, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script + row.flags + " " + row.method);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        StandIn recorder(temp_.Path(), row.script);
        recorder.Forget("standin-1.state");
        recorder.Forget("standin-1.log");
        Burn(row.flags, {"a.wav", "b.wav"}, row.method, row.audioDiscs);
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        EXPECT_EQ(row.tracks, Tracks(row.tracks.size()));
        EXPECT_TRUE(InOrder(recorder.Log(), row.log)) << testing::PrintToString(recorder.Log());
        if (row.log.empty()) {
            for (const std::string& line : recorder.Log()) EXPECT_NE(0u, line.rfind("prepare", 0)) << line;
        }
    }
}

// hostsim --drives lists the real recorder beside the virtual drive, and it is the current one.
TEST_F(RealRecorderRun, HostsimListsRealRecordersBesideVirtualDrives) {
    StandIn recorder(temp_.Path(), "Media=CD-R\r\n");
    ASSERT_TRUE(UseDriveFile(temp_.Write("drives.ini", "[Drive R]\r\nName=Test Recorder\r\nMedia=CD-RW\r\nImages=r\r\n")));
    const Outcome outcome = RunFennel(SelfFolder() + "\\hostsim.exe", "--drives", temp_.Path());
    EXPECT_EQ("0", outcome.exit);
    for (const char* line : {"    R: Test Recorder", "  * E: FENNEL Test Writer", "CD-R, 80:00 free, ready, writes 48x 24x 16x"})
        EXPECT_NE(std::string::npos, outcome.output.find(line)) << line << "\n" << outcome.output;
}

} // namespace
