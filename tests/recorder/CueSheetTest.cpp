#include "recorder/CueSheet.h"

#include <gtest/gtest.h>

namespace {

TEST(CueSheetTest, RendersFilesTracksPregapsTitlesAndSessions) {
    const std::string track1 = "  TRACK 01 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n";
    const struct {
        std::vector<CueFile> files;
        std::string text;
    } cases[] = {
        {{{"disc.bin", 1, {{1, 150, 0, "Intro \"live\""}, {2, 0, 900, ""}, {3, 150, 1200, "Outro"}}}},
         "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    TITLE \"Intro 'live'\"\r\n    INDEX 00 00:00:00\r\n"
         "    INDEX 01 00:02:00\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:12:00\r\n  TRACK 03 AUDIO\r\n"
         "    TITLE \"Outro\"\r\n    INDEX 00 00:16:00\r\n    INDEX 01 00:18:00\r\n"},
        {{{"disc.bin", 1, {{1, 150, 0, ""}}}, {"disc-session2.bin", 2, {{2, 150, 0, ""}}}},
         "REM SESSION 01\r\nFILE \"disc.bin\" BINARY\r\n" + track1 + "REM SESSION 02\r\nFILE \"disc-session2.bin\" BINARY\r\n"
         "  TRACK 02 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(CueSheet::Render(c.files), c.text);
}

TEST(CueSheetTest, QuotableTextDropsQuotesControlsAndOverlongTails) {
    EXPECT_EQ(CueSheet::QuotableText("a\"b\tc\x7F"), "a'b c ");
    // An e with acute accent straddling byte 80 goes whole.
    EXPECT_EQ(CueSheet::QuotableText(std::string(79, 'x') + "\xC3\xA9zz"), std::string(79, 'x'));
    EXPECT_EQ(CueSheet::QuotableText(std::string(100, 'y')).size(), 80u);
}

} // namespace
