#include "recorder/EngineConfig.h"

#include <gtest/gtest.h>

namespace {

// The COM tests drive the keys in their plain spelling; this checks the syntax around them
// and the other spellings of their values.
TEST(EngineConfigTest, ReadsKeysInEverySpelling) {
    EngineConfig config = EngineConfig::Parse(R"(
; comment
[Engine]
PreferredDrive=s

[Drive R]
Name = Test Writer   ; trailing comment
ReadSpeeds = 24, 48x
Media = CD-RW
Content = audio
ContentMinutes = 12
ContentTracks = 3
Closed = yes
Paced = off
Fault.RefusePrepare = true

[drive s]
)");
    ASSERT_EQ(config.drives.size(), 2u);
    EXPECT_EQ(config.preferredDrive, 'S');
    const DriveConfig& r = config.drives[0];
    EXPECT_EQ(r.name, "Test Writer");
    EXPECT_EQ(r.readSpeeds, (std::vector<unsigned>{48, 24}));
    EXPECT_EQ(r.disc.Origin(), "CD-RW 80 audio 12/3 closed");
    EXPECT_TRUE(!r.paced && r.faults.refusePrepare);
}

TEST(EngineConfigTest, FillsDefaultsFromTheDriveAbilities) {
    EngineConfig config = EngineConfig::Parse("[Drive D]\n[Drive E]\nWrites=CD-R\nMedia=none\n[Drive F]\nWrites=none\nMedia=CD-ROM\n");
    const DriveConfig& d = config.drives[0];
    EXPECT_EQ(d.name, "Virtual Recorder D:");
    EXPECT_EQ(d.disc.Origin(), "CD-R 80 blank 0/0 open");
    EXPECT_EQ(d.writeSpeeds.front(), 48u);
    EXPECT_EQ(d.rewriteSpeeds.front(), 10u);
    EXPECT_TRUE(d.paced && d.ready && d.verify);
    EXPECT_TRUE(config.drives[1].rewriteSpeeds.empty());
    EXPECT_EQ(config.drives[2].disc.Origin(), "CD-ROM 80 data 10/1 closed");
}

TEST(EngineConfigTest, RefusesMistakesWithTheirLine) {
    const struct {
        const char* text;
        const char* fragment;
    } cases[] = {
        {"[Drive R]\nSpeed=4\n", "line 2: Speed=4: unknown key"},
        {"[Drive R]\nWriteSpeeds=4,5\n", "speed 5 has no speed code"},
        {"[Drive R]\nCapacity=0\n", "at least one minute"},
        {"[Drive R]\nCapacity=100\n", "larger than 99"},
        {"[Drive R]\nClosed=1\n", "a blank disc has no content"},
        {"[Drive R]\nContent=audio\nContentMinutes=80\n", "ContentMinutes below Capacity"},
        {"[Drive R]\nContent=mixed\nContentTracks=1\n", "two for mixed"},
        {"[Drive R]\nMedia=CD-ROM\nClosed=0\n", "always closed"},
        {"[Drive R]\nImageName=..\\x\n", "not a plain file name"},
        {"[Drive R]\nFault.FailCode=5\n", "negative"},
        {"[Drive R]\nReady=maybe\n", "not 1 or 0"},
        {"[Drive R]\n[drive r]\n", "appears twice"},
        {"[Engine]\nRealRecorders=0\nPreferredDrive=Q\n[Drive R]\n", "no such drive"},
        {"Name=x\n", "key outside any section"},
        {"[Drive R\n", "without ']'"},
        {"[Drive R]\njust words\n", "line 2: neither a section nor key=value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            EngineConfig::Parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ContextException& e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
}

} // namespace
