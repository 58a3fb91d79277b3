#include "recorder/DiscState.h"

#include <gtest/gtest.h>

#include "recorder/EngineConfig.h"

namespace {

DriveConfig Drive(const char* keys) {
    return EngineConfig::Parse(std::string("[Drive R]\n") + keys).drives.at(0);
}

TEST(DiscStateTest, DescribesEachKindOfDisc) {
    const struct {
        const char* keys;
        std::int32_t type;
        std::uint32_t freeFrames;
        std::uint8_t blocked, hasData, hasAudio, blank, closed;
        std::uint16_t tracks;
    } cases[] = {
        {"Media=CD-R\nCapacity=74\n", RECORDING_MEDIA_CD_R, 333000, 0, 0, 0, 1, 0, 0},
        {"Media=CD-R\n", RECORDING_MEDIA_CD_R, 360000, 0, 0, 0, 1, 0, 0},
        {"Media=CD-RW\nCapacity=74\n", RECORDING_MEDIA_CD_RW, 333000, 0, 0, 0, 1, 0, 0},
        // 150 pregap + 10 minutes used, then the first lead-out and the next lead-in.
        {"Media=CD-R\nContent=audio\nContentMinutes=10\nContentTracks=4\n", RECORDING_MEDIA_CD_R,
         360000 - 150 - 45000 - 11250, 0, 0, 1, 0, 0, 4},
        {"Media=CD-R\nContent=mixed\n", RECORDING_MEDIA_CD_R, 360000 - 150 - 45000 - 11250, 0, 1, 1, 0, 0, 2},
        {"Media=CD-RW\nContent=audio\nClosed=1\n", RECORDING_MEDIA_CD_RW, 0, 1, 0, 1, 0, 1, 1},
        {"Media=CD-ROM\n", RECORDING_MEDIA_CD_ROM, 0, 1, 1, 0, 0, 1, 1},
        {"Media=CD-RW\nWrites=CD-R\n", RECORDING_MEDIA_CD_RW, 0, 1, 0, 0, 1, 0, 0},
        {"Media=CD-R\nWrites=none\n", RECORDING_MEDIA_CD_R, 0, 1, 0, 0, 1, 0, 0},
        {"Media=none\n", RECORDING_MEDIA_NONE, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        DriveConfig drive = Drive(c.keys);
        MediaDescription d = DiscState::FromConfig(drive.disc).Describe(drive);
        EXPECT_EQ(d.type, c.type);
        EXPECT_EQ(d.capacity.freeFrames, c.freeFrames);
        EXPECT_EQ(d.flags.blocked, c.blocked);
        EXPECT_EQ(d.flags.hasDataTracks, c.hasData);
        EXPECT_EQ(d.flags.hasAudioTracks, c.hasAudio);
        EXPECT_EQ(d.flags.blank, c.blank);
        EXPECT_EQ(d.flags.closed, c.closed);
        EXPECT_EQ(d.capacity.trackCount, c.tracks);
        EXPECT_EQ(d.details.version, 1);
    }
}

TEST(DiscStateTest, RecordedSessionsSurviveTheStateFile) {
    DriveConfig drive = Drive("Media=CD-RW\n");
    DiscState state = DiscState::FromConfig(drive.disc);
    SessionPlan first = SessionPlan::Make(state.NextSessionStart(), state.NextTrackNumber(),
                                          {176400 * 10, 176400 * 20}, WriteMethod::TrackAtOnce, 150);
    state.AddSession(first, "disc.bin", {"One", " Live ; \"remix\" "});
    SessionPlan second = SessionPlan::Make(state.NextSessionStart(), state.NextTrackNumber(), {176400 * 5},
                                           WriteMethod::DiscAtOnce, 150);
    EXPECT_EQ(second.startFrame, first.totalFrames + 11250u);
    state.AddSession(second, "disc-session2.bin", {"Three"});
    state.lastRecording = "complete";

    DiscState copy = DiscState::Parse(state.Serialize());
    EXPECT_EQ(copy.Serialize(), state.Serialize());
    EXPECT_EQ(copy.sessions, 2);
    EXPECT_EQ(copy.FreeFrames(), 360000u - second.startFrame - second.totalFrames - 6750u);
    ASSERT_EQ(copy.tracks.size(), 3u);
    EXPECT_EQ(copy.tracks[2].number, 3);
    EXPECT_EQ(copy.tracks[1].title, "Live , 'remix'"); // nothing the state file would read as a comment
    EXPECT_EQ(copy.ImageFiles(), (std::vector<std::string>{"disc.bin", "disc-session2.bin"}));
    std::vector<CueFile> cue = copy.CueFiles();
    ASSERT_EQ(cue.size(), 2u);
    EXPECT_EQ(cue[0].tracks[1].fileFrame, 900u); // after the pregap and track 1
    EXPECT_EQ(cue[0].tracks[1].pregapFrames, 150u);
    EXPECT_EQ(cue[1].tracks[0].fileFrame, 0u);

    copy.incompleteImage = "disc-session3.bin.partial";
    copy.Erase();
    MediaDescription blank = copy.Describe(drive);
    EXPECT_EQ(blank.capacity.freeFrames, 360000u);
    EXPECT_TRUE(blank.flags.blank && !blank.flags.incomplete);
}

TEST(DiscStateTest, RefusesStateFilesThatPointOutsideTheFolderOrContradictThemselves) {
    const std::string head = "[Disc]\nOrigin=o\nMedia=CD-R\nCapacity=80\nClosed=0\nSessions=1\nUsedFrames=1000\n";
    const std::string track = "[Track 1]\nSession=1\nType=audio\nStartFrame=0\nPregapFrames=150\nLengthFrames=300\n";
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"file outside", head + track + "File=..\\..\\boot.ini\n"},
        {"drive path", head + track + "File=C:x.bin\n"},
        {"incomplete outside", head + "IncompleteImage=../x\n" + track},
        {"track past the end", head + "[Track 1]\nSession=1\nType=audio\nStartFrame=900\nPregapFrames=0\nLengthFrames=300\n"},
        {"track numbers skip", head + "[Track 2]\nSession=1\nType=audio\nStartFrame=0\nPregapFrames=0\nLengthFrames=300\n"},
        {"session not written", head + "[Track 1]\nSession=2\nType=audio\nStartFrame=0\nPregapFrames=0\nLengthFrames=300\n"},
        {"sessions without tracks", head},
        {"unknown media", "[Disc]\nOrigin=o\nMedia=DVD\nCapacity=80\nClosed=0\nSessions=0\nUsedFrames=0\n"},
        {"missing key", "[Disc]\nOrigin=o\nMedia=CD-R\n"},
        {"no disc section", "[Track 1]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(DiscState::Parse(c.text), DiscState::invalid_state);
    }
}

} // namespace
