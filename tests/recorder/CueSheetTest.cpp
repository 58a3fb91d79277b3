#include "recorder/CueSheet.h"

#include <gtest/gtest.h>

namespace {

TEST(CueSheetTest, RendersFilesTracksPregapsTextsAndSessions) {
    const std::string track1 = "  TRACK 01 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n";
    const struct {
        std::vector<CueFile> files;
        CueText disc;
        std::string text;
    } cases[] = {
        {{{"disc.bin", 1, {{1, 150, 0, "Intro \"live\"", "", {}}, {2, 0, 900, "", "", {}}, {3, 150, 1200, "Outro", "", {}}}}},
         {},
         "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    TITLE \"Intro 'live'\"\r\n    INDEX 00 00:00:00\r\n"
         "    INDEX 01 00:02:00\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:12:00\r\n  TRACK 03 AUDIO\r\n"
         "    TITLE \"Outro\"\r\n    INDEX 00 00:16:00\r\n    INDEX 01 00:18:00\r\n"},
        {{{"disc.bin", 1, {{1, 150, 0, "", "", {}}}}, {"disc-session2.bin", 2, {{2, 150, 0, "", "", {}}}}},
         {},
         "REM SESSION 01\r\nFILE \"disc.bin\" BINARY\r\n" + track1 + "REM SESSION 02\r\nFILE \"disc-session2.bin\" BINARY\r\n"
         "  TRACK 02 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n"},
        {{{"disc.bin", 1, {{1, 0, 0, "Caf\xC3\xA9", "Tab\tBand", 0x0A1B2C3Du}, {2, 0, 300, "", "Solo", 0u}}}},
         {"Album \"1\"", "\xE6\x97\xA5\xE6\x9C\xAC"},
         "TITLE \"Album '1'\"\r\nPERFORMER \"\xE6\x97\xA5\xE6\x9C\xAC\"\r\nFILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"
         "    TITLE \"Caf\xC3\xA9\"\r\n    PERFORMER \"Tab Band\"\r\n    REM CRC32 0A1B2C3D\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    PERFORMER \"Solo\"\r\n    REM CRC32 00000000\r\n    INDEX 01 00:04:00\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(CueSheet::Render(c.files, c.disc), c.text);
}

TEST(CueSheetTest, QuotableTextDropsQuotesControlsAndCutsAtEightyBytesBetweenSequences) {
    const std::string x78(78, 'x'), x79(79, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"a\"b\tc\x7F", "a'b c "},
        {std::string(80, 'y'), std::string(80, 'y')},
        {std::string(81, 'y'), std::string(80, 'y')},
        {x78 + "\xC3\xA9", x78 + "\xC3\xA9"},             // a 2-byte sequence ending at byte 80 stays
        {x79 + "\xC3\xA9zz", x79},                        // one straddling byte 80 goes whole
        {x78 + "\xE2\x82\xAC", x78},                      // so does a 3-byte one with 1 byte past
        {x79 + "\xE2\x82\xAC", x79},                      // or 2 bytes past
        {std::string(77, 'x') + "\xE2\x82\xAC!", std::string(77, 'x') + "\xE2\x82\xAC"},
    };
    for (const auto& [text, quotable] : cases) EXPECT_EQ(CueSheet::QuotableText(text), quotable) << text.size();
}

} // namespace
