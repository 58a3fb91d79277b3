#include "recorder/CueSheet.h"

#include <gtest/gtest.h>

namespace {

TEST(CueSheetTest, RendersOneFileWithPregapsAndTitles) {
    std::vector<CueFile> files = {{"disc.bin", 1, {{1, 150, 0, "Intro \"live\""}, {2, 0, 900, ""}, {3, 150, 1200, "Outro"}}}};
    EXPECT_EQ(CueSheet::Render(files),
              "FILE \"disc.bin\" BINARY\r\n"
              "  TRACK 01 AUDIO\r\n"
              "    TITLE \"Intro 'live'\"\r\n"
              "    INDEX 00 00:00:00\r\n"
              "    INDEX 01 00:02:00\r\n"
              "  TRACK 02 AUDIO\r\n"
              "    INDEX 01 00:12:00\r\n"
              "  TRACK 03 AUDIO\r\n"
              "    TITLE \"Outro\"\r\n"
              "    INDEX 00 00:16:00\r\n"
              "    INDEX 01 00:18:00\r\n");
}

TEST(CueSheetTest, MarksSessionsWhenThereAreSeveral) {
    std::vector<CueFile> files = {{"disc.bin", 1, {{1, 150, 0, ""}}}, {"disc-session2.bin", 2, {{2, 150, 0, ""}}}};
    EXPECT_EQ(CueSheet::Render(files),
              "REM SESSION 01\r\n"
              "FILE \"disc.bin\" BINARY\r\n"
              "  TRACK 01 AUDIO\r\n"
              "    INDEX 00 00:00:00\r\n"
              "    INDEX 01 00:02:00\r\n"
              "REM SESSION 02\r\n"
              "FILE \"disc-session2.bin\" BINARY\r\n"
              "  TRACK 02 AUDIO\r\n"
              "    INDEX 00 00:00:00\r\n"
              "    INDEX 01 00:02:00\r\n");
}

TEST(CueSheetTest, QuotableTextDropsQuotesControlsAndOverlongTails) {
    EXPECT_EQ(CueSheet::QuotableText("a\"b\tc\x7F"), "a'b c ");
    std::string longText(79, 'x');
    longText += "\xC3\xA9zz"; // an e with acute accent straddling byte 80
    EXPECT_EQ(CueSheet::QuotableText(longText), std::string(79, 'x'));
    EXPECT_EQ(CueSheet::QuotableText(std::string(100, 'y')).size(), 80u);
}

} // namespace
