#include "app/CueSheetReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

// "file@start+frames" ("+" alone: to the file's end) or "~frames" of silence, blank-separated.
std::string Render(const std::vector<CueSegment>& segments) {
    std::string out;
    for (const CueSegment& s : segments) {
        const std::string frames = s.frames ? std::to_string(*s.frames) : "";
        out += (out.empty() ? "" : " ") +
               (s.file.empty() ? "~" + frames : s.file + "@" + std::to_string(s.startFrame) + "+" + frames);
    }
    return out;
}

std::string Join(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : ";") + t;
    return out;
}

// "title|performer|songwriter|catalog|cdtextfile|u|remarks" for the album, then
// "number@line [pregap] [audio] title|performer|songwriter|isrc|flags|remarks" per track.
Rows Render(const CueAlbum& album) {
    Rows rows{album.title + "|" + album.performer + "|" + album.songwriter + "|" + album.catalog + "|" +
              album.cdTextFile + "|" + (album.utf8 ? "u" : "") + "|" + Join(album.remarks)};
    for (const CueAlbumTrack& t : album.tracks) {
        rows.push_back(std::to_string(t.number) + "@" + std::to_string(t.lineNumber) + " [" + Render(t.pregap) + "] [" +
                       Render(t.audio) + "] " + t.title + "|" + t.performer + "|" + t.songwriter + "|" + t.isrc + "|" +
                       (t.preEmphasis ? "p" : "") + (t.digitalCopy ? "d" : "") + (t.fourChannel ? "4" : "") + "|" +
                       Join(t.remarks));
    }
    return rows;
}

// ASCII text as UTF-16LE with its byte-order mark.
std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

const std::string kOneTrack = "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";

TEST(CueSheetReaderTest, CutsTracksAndGapsOfEachLayout) {
    const struct {
        const char* path;
        std::string content;
        Rows expected;
    } cases[] = {
        // One file: INDEX 00 starts the pregap, INDEX 02 cuts nothing.
        {"D:\\x.cue",
         "REM GENRE Rock\r\nREM REPLAYGAIN_ALBUM_GAIN -7.89 dB\r\nPERFORMER \"The Band\"\r\nTITLE \"Album\"\r\n"
         "FILE \"album.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    REM REPLAYGAIN_TRACK_GAIN -1 dB\r\n    INDEX 00 03:00:00\r\n"
         "    INDEX 01 03:02:00\r\n  TRACK 03 AUDIO\r\n    INDEX 01 05:00:00\r\n    INDEX 02 05:10:00\r\n",
         {"Album|The Band|||||REM GENRE Rock;REM REPLAYGAIN_ALBUM_GAIN -7.89 dB",
          "1@6 [] [D:\\album.wav@0+13500] One|||||",
          "2@9 [D:\\album.wav@13500+150] [D:\\album.wav@13650+8850] Two|||||REM REPLAYGAIN_TRACK_GAIN -1 dB",
          "3@14 [] [D:\\album.wav@22500+] |||||"}},
        // File per track, gaps appended to the previous track: the pregap is that file's tail.
        {"/m/x.cue", "FILE \"01.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 04:58:10\n"
                     "FILE \"02.wav\" WAVE\nINDEX 01 00:00:00\n",
         {"||||||", "1@2 [] [/m/01.wav@0+22360] |||||", "2@4 [/m/01.wav@22360+] [/m/02.wav@0+] |||||"}},
        // Gaps left out, silence asked for instead; any case, unquoted names, numbering from 5.
        {"x.cue", "file 01.wav wave\ntrack 5 audio\nindex 1 0:00:00\npostgap 00:01:00\nFILE \"02 b.mp3\" MP3\n"
                  "TRACK 06 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:00:00\nPOSTGAP 00:00:00\n",
         {"||||||", "5@2 [] [01.wav@0+ ~75] |||||", "6@6 [~150] [02 b.mp3@0+] |||||"}},
        // Non-compliant: gaps at the start of the next file.
        {"x.cue", "FILE \"01.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE \"02.wav\" WAVE\nTRACK 02 AUDIO\n"
                  "INDEX 00 00:00:00\nINDEX 01 00:01:74\n",
         {"||||||", "1@2 [] [01.wav@0+] |||||", "2@5 [02.wav@0+149] [02.wav@149+] |||||"}},
        // Hidden first track, with and without INDEX 00, in its own file; a file's head before
        // its first index belongs to the track before (CR line ends).
        {"x.cue",
         "FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 01:30:00\nTRACK 02 AUDIO\nINDEX 01 05:00:00",
         {"||||||", "1@2 [a.wav@0+6750] [a.wav@6750+15750] |||||", "2@5 [] [a.wav@22500+] |||||"}},
        {"x.cue", "FILE a.wav WAVE\rTRACK 01 AUDIO\rINDEX 01 00:00:33\rFILE b.wav\rTRACK 02 AUDIO\rINDEX 01 00:00:10\r",
         {"||||||", "1@2 [a.wav@0+33] [a.wav@33+ b.wav@0+10] |||||", "2@5 [] [b.wav@10+] |||||"}},
        {"x.cue",
         "FILE 0.wav WAVE\nTRACK 01 AUDIO\nPREGAP 00:00:05\nINDEX 00 00:00:00\nFILE 1.wav WAVE\nINDEX 01 00:00:00\n",
         {"||||||", "1@2 [~5 0.wav@0+] [1.wav@0+] |||||"}},
        // Codes, flags, texts; unknown commands and trailing words skipped.
        {"D:\\x.cue", "CATALOG 0724384960650\nCDTEXTFILE \"disc.cdt\"\nSONGWRITER Some One \nARRANGER \"x\"\n"
                      "FILE \"C:\\Audio\\a.wav\" WAVE\n\tTRACK 01 AUDIO junk\n\t\tFLAGS DCP PRE 4CH SCMS\n"
                      "\t\tISRC usab19912345\n\t\tTITLE \"Say \"Hi\"\"\n\t\tPERFORMER Solo\n"
                      "\t\tINDEX 01 00:00:00 junk\n",
         {"||Some One|0724384960650|D:\\disc.cdt||",
          "1@6 [] [C:\\Audio\\a.wav@0+] Say \"Hi\"|Solo||USAB19912345|pd4|"}},
        // Encodings: UTF-8 told by a mark or by its bytes, UTF-16 by its mark; else kept as bytes.
        {"x.cue", "\xEF\xBB\xBFTITLE \"Caf\xC3\xA9\"\n" + kOneTrack, {"Caf\xC3\xA9|||||u|", "1@3 [] [a.wav@0+] |||||"}},
        {"x.cue", "TITLE Caf\xC3\xA9\n" + kOneTrack, {"Caf\xC3\xA9|||||u|", "1@3 [] [a.wav@0+] |||||"}},
        {"x.cue", "TITLE Caf\xE9\n" + kOneTrack, {"Caf\xE9||||||", "1@3 [] [a.wav@0+] |||||"}},
        {"x.cue", Utf16("TITLE T\r\n" + kOneTrack), {"T|||||u|", "1@3 [] [a.wav@0+] |||||"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Render(CueSheetReader::Read(c.path, c.content))) << c.content;
    }
}

TEST(CueSheetReaderTest, RefusesBrokenSheetsNamingTheLine) {
    const std::string track = "FILE a.wav\nTRACK 01 AUDIO\nINDEX 01 ";
    const struct {
        std::string content;
        const char* context; // how it starts
        bool unsupported;
    } cases[] = {
        {"REM x\n", "line 1: no TRACK", false},
        {"FILE \"a.wav\" WAVE\nINDEX 01 00:00:00\n", "line 2: INDEX 01 before TRACK", false},
        {"TRACK 01 AUDIO\n", "line 1: TRACK before FILE", false},
        {kOneTrack + "TRACK 03 AUDIO\n", "line 4: TRACK 03 after TRACK 01", false},
        {"FILE a.wav\nTRACK 100 AUDIO\n", "line 2: TRACK number \"100\"", false},
        {"FILE a.wav\nTRACK 01\n", "line 2: TRACK 01 without a type", false},
        {"FILE a.wav\nTRACK 01 AUDIO\nINDEX 02 00:00:00\n", "line 3: INDEX 02 out of order (00 or 01", false},
        {kOneTrack + "INDEX 03 00:01:00\n", "line 4: INDEX 03 out of order (02", false},
        {"FILE a.wav\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n",
         "line 2: TRACK 01 without INDEX 01", false},
        {kOneTrack + "TRACK 02 AUDIO\nINDEX 00 00:00:00\n", "line 4: TRACK 02 without INDEX 01", false},
        {track + "00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:09:74\n", "line 5: INDEX 01 at 00:09:74 lies before", false},
        {track + "00:01:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n", "line 2: TRACK 01 without audio", false},
        {track + "00:60:00\n", "line 3: INDEX 01 at \"00:60:00\"", false},
        {track + "00:00:75\n", "line 3: INDEX 01 at \"00:00:75\"", false},
        {track + "1000:00:00\n", "line 3: INDEX 01 at \"1000:00:00\"", false},
        {"\r\nFILE a.wav\r\rTRACK 01 AUDIO\r\nINDEX 01 00:00:0x", "line 5: INDEX 01 at \"00:00:0x\"", false},
        {"FILE My Song.wav\n", "line 1: FILE name with blanks", false},
        {"FILE \"\" WAVE\n", "line 1: FILE without a name", false},
        {kOneTrack + "FILE b.wav WAVE\n", "line 4: FILE without INDEX", false},
        {"TITLE \"Open\n" + kOneTrack, "line 1: TITLE with an unterminated quote", false},
        {"PERFORMER " + std::string(1025, 'x'), "line 1: PERFORMER longer than 1024 bytes", false},
        {"CATALOG 123456789012\n", "line 1: CATALOG is not 13 digits", false},
        {"ISRC USAB19912345\n", "line 1: ISRC before TRACK", false},
        {kOneTrack + "ISRC USAB1991234X\n", "line 4: ISRC is not", false},
        {"FILE a.wav\nTRACK 01 AUDIO\nPREGAP 00:02:00\nPREGAP 00:01:00\n", "line 4: second PREGAP in TRACK 01", false},
        {"FILE \"a.bin\" BINARY\n", "line 1: FILE \"a.bin\" is raw data", true},
        {"FILE a.wav\nTRACK 01 MODE1/2352\n", "line 2: TRACK 01 is MODE1/2352, not AUDIO", true},
        {kOneTrack + "FLAGS DCP DATA\n", "line 4: FLAGS DATA", true},
    };
    for (const auto& c : cases) {
        try {
            CueSheetReader::Read("x.cue", c.content);
            ADD_FAILURE() << "read: " << c.content;
        } catch (const CueSheetReader::base_exception& e) {
            EXPECT_EQ(c.context, std::string(e.Context()).substr(0, std::string(c.context).size())) << e.Context();
            EXPECT_EQ(c.unsupported, dynamic_cast<const CueSheetReader::unsupported*>(&e) != nullptr) << c.context;
        }
    }
}

TEST(CueSheetReaderTest, RecognisesSheetsByContent) {
    const struct {
        std::string content;
        bool sheet;
    } cases[] = {
        {"\xEF\xBB\xBFREM GENRE x\r\n\r\n  file \"a.wav\" WAVE\r\n  track 01 audio\r\n", true},
        {"TITLE x\nPERFORMER y\nFILE a.wav\nREM z\nTRACK 01 AUDIO", true},
        {"CATALOG 0724384960650\rFILE a.wav\rTRACK 01 AUDIO", true},
        {Utf16(kOneTrack), true},
        {"#EXTM3U\nFILE a.wav\nTRACK 01 AUDIO\n", false},
        {"TRACK 01 AUDIO\nFILE a.wav\n", false},
        {"FILE \"a.wav\" WAVE\nTRACKS\n", false},
        {"REM only\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.sheet, CueSheetReader::LooksLikeCueSheet(c.content)) << c.content;
}

} // namespace
