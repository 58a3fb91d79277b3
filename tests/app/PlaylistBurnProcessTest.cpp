// Silent burns from playlists: the tracks found relative to the playlist's own folder, files
// the engine decodes, and the CD-Text of the image's cue sheet taken from the playlist. The
// formats themselves are PlaylistReaderTest's, the engine's fallbacks to tags its own tests'.
#include "BurnCase.h"
#include "tools/hostkit/ImageCue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace fenneltest;

using PlaylistBurnProcessTest = BurnCase;

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
    temp_.Write("music\\b.wav", Tune(4));
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
        {"M3U", "list.m3u", "#EXTM3U\r\n#EXTINF:4,Artist One - Song One\r\na.wav\r\n#EXTINF:4,Song Two\r\nb.wav\r\n",
         {"|", "Song One|Artist One", "Song Two|"}},
        {"M3U8 beyond the code page", "list.m3u8", "#EXTM3U\n#EXTINF:4,Caf\xC3\xA9\n" + nihon + ".wav\n" + nihon + ".wav\n",
         {"|", "Caf\xC3\xA9|", nihon + "|"}},
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

} // namespace
