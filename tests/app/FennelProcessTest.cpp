// fennel.exe started as the host starts it: each command line's boxes and values, the
// sentinel, the server mode and the start-up failures; with the engine of recorder/, the
// engine check, the media query and silent burns of playlists with their CD-Text.
#include "BurnCase.h"
#include "support/UniqueHandle.h"
#include "tools/hostkit/ImageCue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
    struct Row {
        std::string arguments;
        std::vector<ExpectedBox> boxes;
        Values values;
        std::string drive = ""; // none: no engine; disc lines of drive R, or a whole drive file ('[')
        const char* locale = "00000409";
        Sentinel sentinel = Sentinel::Free;
        const char* exit = "0";
        const char* output = ""; // a part of the program's output
    };
    const Row rows[] = {
        // Registration switches end at once without initialisation.
        {"/UNREGSERVER", {}, {}},
        // A switch followed by more text is the burn mode; no engine: the partner's box.
        {"/RegServer extra",
         {{"Lecteur Windows Media", "Aucun logiciel de gravure de CD n'a \xC3\xA9t\xC3\xA9 trouv\xC3\xA9", {"&Oui", "&Non"},
           IDNO}},
         {{kBurnResults, -3}, {kEngineCheck, 2}}, "", "0000040C", Sentinel::Free, "0",
         "Unknown command-line flag '/RegServer'"},
        {"/S " + playlist, {}, {{kBurnResults, -3}, {kEngineCheck, 2}}},
        // A second burn leaves the first one's media and track values alone.
        {"/S " + playlist, {{kAppFr, "Un autre CD est en cours de gravure.", {"&OK"}}},
         {{kBurnResults, -3}, {kEngineCheck, 2}, {"MediaTimeAvailable", 1234}}, "", "0000040C", Sentinel::Held},
        {"/S " + playlist, {{kPluginApp, "Unable to create the single-instance sentinel"}},
         {{kBurnResults, -1}, {kEngineCheck, 2}}, "", "00000409", Sentinel::Refused, "1"},
        // An empty command line: the usage box.
        {"", {{kPluginApp, "This program records audio CDs", {"&OK"}}}, {{kBurnResults, -4}}},
        // With the engine: the check's box, the media query's values.
        {"/T", {{"Windows Media Player", "No CD recorder was found", {}, IDNO}}, {{kBurnResults, -3}, {kEngineCheck, 1}},
         "[Engine]\r\n"},
        // An engine that takes too long to start fails in a way the host has no name for.
        {"/T", {{"Windows Media Player", "The CD recording software could not be started."}},
         {{kBurnResults, -3}, {kEngineCheck, 0}}, "Fault.StartupMs=5500\r\n"},
        {"/S /T", {}, {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", -1}, {"MediaType", 0}},
         "Media=none\r\n"},
        // 74 minutes less the 10 of audio and what a new session needs on the disc.
        {"/S /T", {}, {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", 3688}, {"MediaType", 2}},
         "Media=CD-R\r\nCapacity=74\r\nContent=audio\r\nContentMinutes=10\r\n"},
        // Not silent: a usable drive shows no box.
        {"/T", {}, {{kBurnResults, -3}, {kEngineCheck, 0}, {"MediaTimeAvailable", 4800}, {"MediaType", 4}},
         "Media=CD-RW\r\nCapacity=80\r\nContent=blank\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("[" + row.arguments + "] " + row.locale + " " + row.drive);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        if (row.drive.empty()) {
            ASSERT_TRUE(UseDriveFile(kNoEngine));
        } else if (row.drive[0] == '[') {
            ASSERT_TRUE(UseDriveFile(temp_.Write("drives.ini", row.drive)));
        } else {
            Drive(row.drive);
        }
        UserLocale locale(row.locale);
        ASSERT_TRUE(locale.Set());
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
        const Outcome outcome = Expect(row.arguments, row.boxes, row.values);
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

TEST_F(FennelProcessTest, TheServerModeShowsNoWindowAndEndsWhenIdle) {
    ChildProcess child(Quoted(FennelExe()) + " -Embedding", temp_.Path());
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(nullptr, FindProcessWindow(child.Id(), "", "", 1000));
    ASSERT_TRUE(child.WaitForExit(20000)) << "the idle server did not end";
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_EQ(-3, Value(kBurnResults));
}

// hostsim --drives lists what the engine sees: each drive with its disc, the current one marked.
TEST_F(FennelProcessTest, HostsimListsTheEnginesDrives) {
    ASSERT_TRUE(UseDriveFile(temp_.Write("drives.ini", "[Engine]\r\nPreferredDrive=R\r\n[Drive Q]\r\nName=Empty\r\n"
                                                       "Media=none\r\nImages=q\r\n[Drive R]\r\nName=Test Recorder\r\n"
                                                       "Media=CD-RW\r\nCapacity=74\r\nContent=audio\r\nImages=r\r\n"
                                                       "WriteSpeeds=48,24\r\n")));
    const Outcome outcome = RunFennel(SelfFolder() + "\\hostsim.exe", "--drives", temp_.Path());
    EXPECT_EQ("0", outcome.exit);
    for (const char* line : {"    Q: Empty", "no disc, 0:00 free, ready",
                             "  * R: Test Recorder                    CD-RW, 61:28 free, ready, writes 48x 24x"}) {
        EXPECT_NE(std::string::npos, outcome.output.find(line)) << line << "\n" << outcome.output;
    }
}

using StartupProcessTest = BurnCase;

TEST_F(StartupProcessTest, EveryStartupFailureShowsOneBoxAndEndsWithOne) {
    const struct {
        const char* name;
        std::vector<std::string> copied; // from beside the tests
        std::string reason; // after the folder part; '@' stands for the folder
        const char* button; // of the failure box
        std::string configuration = {}; // written beside the copy when given
    } cases[] = {
        {"no language files", {"Fennel.qcf"}, "Unable to run this program: no language files were found.", "OK"},
        {"configuration file missing", {"FN1033.lng"}, "Unable to read certificate file '@\\Fennel.qcf'.", "&OK"},
        // Without an area the results would go to the root of the user's registry.
        {"empty Plugin_RegistryBase", {"FN1033.lng"}, "Plugin_RegistryBase not defined in certificate", "&OK",
         SignedConfiguration({{"Plugin_RegistryBase", ""}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string exe = InstallFennel(folder.Path(), "fennel.exe", c.copied);
        ASSERT_FALSE(exe.empty()) << "GetLastError() = " << GetLastError();
        if (!c.configuration.empty()) folder.Write("Fennel.qcf", c.configuration);

        const Outcome outcome = RunFennel(exe, "", temp_.Path(), {IDOK, IDOK});
        EXPECT_EQ("1", outcome.exit);
        ASSERT_EQ(1u, outcome.boxes.size());
        std::string reason = c.reason;
        if (const std::size_t at = reason.find('@'); at != std::string::npos) reason.replace(at, 1, folder.Path());
        const ShownBox& box = outcome.boxes[0];
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ("Unable to initialize plugin '" + folder.Path() + "'.  " + reason, box.text);
        EXPECT_EQ(std::vector<std::string>{c.button}, box.buttons);
        EXPECT_FALSE(KeyExists(Area())) << "nothing may be written";
    }
}

using PlaylistBurnProcessTest = BurnCase;

// UTF-16 text with its byte-order mark, as a Windows tool saves it.
std::string Utf16LE(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

// The disc's and then each track's "title|performer" in the cue sheet.
std::vector<std::string> CueTexts(const std::string& cuePath) {
    hostkit::ImageCue cue;
    EXPECT_TRUE(hostkit::ReadImageCue(cuePath, cue)) << cuePath;
    std::vector<std::string> texts{cue.title + "|" + cue.performer};
    for (const hostkit::ImageCueTrack& track : cue.tracks) texts.push_back(track.title + "|" + track.performer);
    return texts;
}

TEST_F(PlaylistBurnProcessTest, PlaylistsBurnTheirTracksWithTheirTexts) {
    const std::string music = temp_.File("music");
    ASSERT_TRUE(CreateDirectoryA(music.c_str(), nullptr)) << GetLastError();
    temp_.Write("music\\a.wav", Tune(4));
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC"; // outside the system's code page
    std::ofstream(std::filesystem::path(music) / L"\u65e5\u672c.wav", std::ios::binary) << Tune(4);
    std::string musicUri = "file:///" + music + "/";
    for (char& c : musicUri) c = c == '\\' ? '/' : c;
    std::string tones;
    for (const char* type : {"flac", "mp3", "wav", "wma"})
        tones += std::string("Z:") + FENNEL_BINARY_DIR + "\\tones\\tone." + type + "\r\n";

    const struct {
        const char* name;
        const char* file; // in the music folder; fennel.exe runs in the folder above
        std::string content;
        std::vector<std::string> expected;
    } rows[] = {
        {"M3U8 beyond the code page", "list.m3u8", "#EXTM3U\n#EXTINF:4,Caf\xC3\xA9\n" + nihon + ".wav\n" + nihon + ".wav\n",
         {"|", "Caf\xC3\xA9|", nihon + "|"}},
        // As a Windows tool saves it: UTF-16 with its mark; an escaped relative line names
        // the file that its decoded form names.
        {"UTF-16 M3U", "list16.m3u", Utf16LE(u"#EXTM3U\r\n#EXTINF:4,Band - Caf\u00E9\r\n\u65E5\u672C.wav\r\n%61.wav\r\n"),
         {"|", "Caf\xC3\xA9|Band", "a|"}},
        // The engine decodes these through Media Foundation (tones that tests/recorder makes).
        {"decoded", "list.m3u", tones, {"|", "tone|", "tone|", "tone|", "tone|"}},
        {"XSPF", "list.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
         "<title>Xspf Album</title><creator>Xspf Artist</creator><trackList>\n<track><location>" + musicUri +
             "%61.wav</location><title>Rock &amp; Roll</title><creator>X</creator></track>\n</trackList></playlist>\n",
         {"Xspf Album|Xspf Artist", "Rock & Roll|X"}},
    };
    Drive("Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FreshDisc();
        const std::string list = temp_.Write(std::string("music\\") + row.file, row.content);
        const Outcome outcome = Fennel("/S \"" + list + "\"");
        EXPECT_EQ("0", outcome.exit) << outcome.output;
        EXPECT_EQ(0, Value("BurnResults"));
        EXPECT_EQ(row.expected, CueTexts(temp_.File("images\\disc.cue")));
    }
}

// A CUE sheet of an album in one file is burned disc-at-once with the sheet's own gaps (a
// hidden track before track 1, a gap of audio before track 2): the image holds the album's
// audio unbroken, with each INDEX where the sheet has it. Track-at-once would change the gaps
// and a broken line cannot be burned as written: both record nothing.
TEST_F(PlaylistBurnProcessTest, ACueSheetAlbumKeepsItsGapsOrIsRefused) {
    const std::string album = Tune(14); // 1050 frames
    temp_.Write("album.wav", album);
    const std::string sheet = "PERFORMER \"The Band\"\r\nFILE \"album.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
                              "    INDEX 00 00:00:00\r\n    INDEX 01 00:04:00\r\n  TRACK 02 AUDIO\r\n"
                              "    ISRC GBAYE0000351\r\n    INDEX 00 00:08:00\r\n    INDEX 01 00:09:00\r\n";
    Drive("Media=CD-R\r\n");
    FreshDisc();
    EXPECT_EQ("0", Fennel("/S \"" + temp_.Write("album.cue", sheet) + "\"").exit);
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), Tracks(2));
    const auto read = [&](const char* name) {
        std::ifstream file(temp_.File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const std::string cueText = read("images\\disc.cue");
    for (const char* line : {"INDEX 00 00:00:00\r\n    INDEX 01 00:04:00\r\n", "    ISRC GBAYE0000351\r\n",
                             "INDEX 00 00:08:00\r\n    INDEX 01 00:09:00\r\n"})
        EXPECT_NE(std::string::npos, cueText.find(line)) << line << "\n" << cueText;
    EXPECT_TRUE(read("images\\disc.bin") == album.substr(44)) << "the image is not the album";
    // A FLAC album decodes bit for bit: a hidden second before track 1's INDEX 01 stays audio,
    // after the silence that makes up the two seconds every disc starts with.
    const std::string tones = std::string("Z:") + FENNEL_BINARY_DIR + "\\tones\\";
    FreshDisc();
    EXPECT_EQ("0", Fennel("/S \"" + temp_.Write("flac.cue", "FILE \"" + tones + "tone.flac\" WAVE\r\n  TRACK 01 AUDIO\r\n"
                                                             "    INDEX 00 00:00:00\r\n    INDEX 01 00:01:00\r\n") + "\"").exit);
    std::ifstream wav(tones + "tone.wav", std::ios::binary);
    const std::string tone = std::string(std::istreambuf_iterator<char>(wav), {});
    EXPECT_TRUE(read("images\\disc.bin") == std::string(75 * 2352, '\0') + tone.substr(tone.size() - 375 * 2352))
        << "the image is not the FLAC album";
    EXPECT_NE(std::string::npos, read("images\\disc.cue").find("INDEX 00 00:00:00\r\n    INDEX 01 00:02:00"));
    // With the user's levelled loudness the album gets one gain, and its cue sheet what was measured.
    ASSERT_TRUE(WriteDword(Area() + "\\Options", "LevelLoudness", 1));
    FreshDisc();
    EXPECT_EQ("0", Fennel("/S \"" + temp_.File("album.cue") + "\"").exit);
    EXPECT_EQ(0, Value("BurnResults"));
    const std::string levelled = read("images\\disc.cue");
    for (const char* line : {"REM REPLAYGAIN_ALBUM_GAIN ", "    REM REPLAYGAIN_TRACK_PEAK "})
        EXPECT_NE(std::string::npos, levelled.find(line)) << line << "\n" << levelled;
    EXPECT_FALSE(read("images\\disc.bin") == album.substr(44)) << "the album was not levelled";

    const struct {
        std::string sheet;
        std::string method;
        std::vector<ExpectedBox> boxes;
    } refusals[] = {
        {sheet, "TAO", {{"Fennel CD Burner", "This album keeps the gaps its CUE sheet gives only when"}}},
        {sheet + "    INDEX 02 00:99:00\r\n", "",
         {{"Fennel CD Burner", "The CUE sheet cannot be recorded as it is written: line 10 is not understood."}}},
    };
    for (const auto& row : refusals) {
        SCOPED_TRACE(row.method);
        ASSERT_TRUE(DeleteKeyTree(Area()));
        FreshDisc();
        DeleteFileA(temp_.File("images\\disc.bin").c_str());
        const std::string exe = InstallFennel(temp_.Path(), "fennel.exe", {"FN1033.lng"});
        temp_.Write("Fennel.qcf", SignedConfiguration({{"Plugin_BurnMethod", row.method.empty() ? "DAO" : row.method}}));
        std::vector<int> answers{IDOK};
        const Outcome outcome = RunFennel(exe, "\"" + temp_.Write("album.cue", row.sheet) + "\"", temp_.Path(), answers);
        ASSERT_EQ(row.boxes.size(), outcome.boxes.size()) << outcome.output;
        EXPECT_EQ(0u, outcome.boxes[0].text.rfind(row.boxes[0].text, 0)) << outcome.boxes[0].text;
        EXPECT_EQ(-1, Value("BurnResults"));
        EXPECT_FALSE(ImageExists());
    }
}

} // namespace
