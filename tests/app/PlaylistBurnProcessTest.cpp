// Silent burns from every playlist format: the tracks found relative to the playlist's own
// folder, web addresses refused, and the CD-Text of the image's cue sheet taken from the
// playlist first and from the WAV files' tags second.
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

// A tune whose LIST/INFO chunk names its title, artist and album.
std::string TaggedTune(const std::string& title, const std::string& artist, const std::string& album) {
    const auto field = [](const char* id, std::string text) {
        text += '\0';
        if (text.size() % 2) text += '\0';
        const auto size = static_cast<std::uint32_t>(text.size());
        return std::string(id, 4) + std::string{static_cast<char>(size), static_cast<char>(size >> 8), '\0', '\0'} + text;
    };
    WavBuilder wav;
    wav.extraChunkBefore = "INFO" + field("INAM", title) + field("IART", artist) + field("IPRD", album);
    wav.samples.resize(4 * 176400);
    const WavBuilder::Buffer bytes = wav.Bytes();
    return std::string(bytes.begin(), bytes.end());
}

struct CueTexts {
    std::string discTitle, discPerformer;
    std::vector<std::pair<std::string, std::string>> tracks; // title, performer
};

CueTexts ReadCueTexts(const std::string& cuePath) {
    hostkit::ImageCue cue;
    EXPECT_TRUE(hostkit::ReadImageCue(cuePath, cue)) << cuePath;
    CueTexts texts{cue.title, cue.performer, {}};
    for (const hostkit::ImageCueTrack& track : cue.tracks) texts.tracks.emplace_back(track.title, track.performer);
    return texts;
}

TEST_F(PlaylistBurnProcessTest, EachFormatBurnsItsTracksWithTheirTexts) {
    const std::string music = temp_.File("music");
    ASSERT_TRUE(CreateDirectoryA(music.c_str(), nullptr)) << GetLastError();
    temp_.Write("music\\a.wav", Tune(4));
    temp_.Write("music\\b.wav", TaggedTune("Tag Title", "Tag Artist", "Tag Album"));
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC"; // outside the system's code page
    std::ofstream(std::filesystem::path(music) / L"\u65e5\u672c.wav", std::ios::binary) << Tune(4);
    std::string musicUri = "file:///" + music + "/";
    for (char& c : musicUri) c = c == '\\' ? '/' : c;

    const struct {
        const char* name;
        const char* file; // in the music folder; fennel.exe runs in the folder above
        std::string content;
        CueTexts expected;
    } rows[] = {
        {"plain list with tags", "list.txt", "a.wav\r\nb.wav\r\n",
         {"Tag Album", "Tag Artist", {{"a", ""}, {"Tag Title", "Tag Artist"}}}},
        {"M3U", "list.m3u", "#EXTM3U\r\n#EXTINF:4,Artist One - Song One\r\na.wav\r\n#EXTINF:4,Song Two\r\nb.wav\r\n",
         {"Tag Album", "Tag Artist", {{"Song One", "Artist One"}, {"Song Two", "Tag Artist"}}}},
        {"M3U8 beyond the code page", "list.m3u8", "#EXTM3U\n#EXTINF:4,Caf\xC3\xA9\n" + nihon + ".wav\n" + nihon + ".wav\n",
         {"", "", {{"Caf\xC3\xA9", ""}, {nihon, ""}}}},
        {"PLS", "list.pls", "[playlist]\r\nFile2=a.wav\r\nFile1=b.wav\r\nTitle1=Pls Title\r\nNumberOfEntries=2\r\n",
         {"Tag Album", "Tag Artist", {{"Pls Title", "Tag Artist"}, {"a", ""}}}},
        {"WPL", "list.wpl",
         "<?wpl version=\"1.0\"?>\r\n<smil><head><title>Wpl Album</title></head>\r\n<body><seq>"
         "<media src=\"a.wav\"/><media src='b.wav'/></seq></body></smil>\r\n",
         {"Wpl Album", "Tag Artist", {{"a", ""}, {"Tag Title", "Tag Artist"}}}},
        {"XSPF", "list.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
         "<title>Xspf Album</title><creator>Xspf Artist</creator><trackList>\n<track><location>" + musicUri +
             "%61.wav</location><title>Rock &amp; Roll</title><creator>X</creator></track>\n</trackList></playlist>\n",
         {"Xspf Album", "Xspf Artist", {{"Rock & Roll", "X"}}}},
        {"entry list", "list.asx",
         "<ASX version=\"3.0\">\r\n<TITLE>Asx Album</TITLE>\r\n<ENTRY>\r\n<TITLE>Asx Title</TITLE>\r\n"
         "<AUTHOR>Asx Author</AUTHOR>\r\n<REF HREF=\"a.wav\"/>\r\n</ENTRY>\r\n</ASX>\r\n",
         {"Asx Album", "", {{"Asx Title", "Asx Author"}}}},
    };
    Drive("Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FreshDisc();
        const std::string list = temp_.Write(std::string("music\\") + row.file, row.content);
        const Outcome outcome = Fennel("/S \"" + list + "\"");
        EXPECT_EQ("0", outcome.exit) << outcome.output;
        EXPECT_EQ(0, Value("BurnResults"));
        const CueTexts cue = ReadCueTexts(temp_.File("images\\disc.cue"));
        EXPECT_EQ(row.expected.discTitle, cue.discTitle);
        EXPECT_EQ(row.expected.discPerformer, cue.discPerformer);
        EXPECT_EQ(row.expected.tracks, cue.tracks);
    }
}

TEST_F(PlaylistBurnProcessTest, WebAddressesAreRefusedWithoutALookUp) {
    Drive("Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n");
    temp_.Write("a.wav", Tune(4));
    const std::string list = temp_.Write("list.m3u", "http://example.com/a.wav\r\nmms://example.com/b.wav\r\na.wav\r\n");
    const Outcome outcome = Fennel("/S \"" + list + "\"");
    EXPECT_EQ("0", outcome.exit) << outcome.output;
    EXPECT_EQ(1, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{-6, -6, 0}), Tracks(3));
}

} // namespace
