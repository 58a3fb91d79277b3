#include "recorder/DiscState.h"

#include <gtest/gtest.h>

#include "recorder/EngineConfig.h"

namespace {

TEST(DiscStateTest, RecordedSessionsSurviveTheStateFile) {
    DriveConfig drive = EngineConfig::Parse("[Drive R]\nMedia=CD-RW\n").drives.at(0);
    DiscState state = DiscState::FromConfig(drive.disc);
    SessionPlan first = SessionPlan::Make(state.NextSessionStart(), state.NextTrackNumber(),
                                          {176400 * 10, 176400 * 20}, WriteMethod::TrackAtOnce, 150);
    state.AddSession(first, "disc.bin", {{"One", ""}, {" Live ; \"remix\" ", "Band"}}, {0xDEADBEEFu}, {"LP", "Band"});
    SessionPlan second = SessionPlan::Make(state.NextSessionStart(), state.NextTrackNumber(), {176400 * 5},
                                           WriteMethod::DiscAtOnce, 150);
    EXPECT_EQ(second.startFrame, first.totalFrames + 11250u);
    state.AddSession(second, "disc-session2.bin", {{"Three", ""}}, {}, {"", "Various"});

    DiscState copy = DiscState::Parse(state.Serialize());
    EXPECT_EQ(copy.Serialize(), state.Serialize());
    EXPECT_EQ(copy.FreeFrames(), 360000u - second.startFrame - second.totalFrames - 6750u);
    ASSERT_EQ(copy.tracks.size(), 3u);
    EXPECT_EQ(copy.tracks[2].number, 3);
    EXPECT_EQ(copy.tracks[1].title, "Live , 'remix'"); // nothing the state file would read as a comment
    EXPECT_EQ(copy.tracks[1].performer, "Band");
    EXPECT_EQ(copy.tracks[0].crc, 0xDEADBEEFu);
    EXPECT_FALSE(copy.tracks[1].crc);
    EXPECT_EQ(copy.discText.title + "/" + copy.discText.performer, "LP/Various"); // a later session's texts replace
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

TEST(DiscStateTest, DescribesEachKindOfDiscAsItsDriveSeesIt) {
    const struct {
        const char* keys;
        std::int32_t type;
        std::uint32_t freeFrames;
        std::vector<int> flags; // blank, appendable, blocked, audio, data, closed, tracks
    } cases[] = {
        {"Capacity=74\n", RECORDING_MEDIA_CD_R, 333000, {1, 1, 0, 0, 0, 0, 0}},
        {"Media=CD-RW\nContent=audio\nClosed=1\n", RECORDING_MEDIA_CD_RW, 0, {0, 0, 1, 1, 0, 1, 1}},
        // The pregap and 30 minutes used, then the first lead-out and the next lead-in.
        {"Content=audio\nContentMinutes=30\nContentTracks=8\n", RECORDING_MEDIA_CD_R, 360000 - 150 - 135000 - 11250,
         {0, 1, 0, 1, 0, 0, 8}},
        {"Content=data\n", RECORDING_MEDIA_CD_R, 360000 - 150 - 45000 - 11250, {0, 1, 0, 0, 1, 0, 1}},
        {"Media=CD-ROM\nContent=mixed\n", RECORDING_MEDIA_CD_ROM, 0, {0, 0, 1, 1, 1, 1, 2}},
        {"Writes=none\n", RECORDING_MEDIA_CD_R, 0, {1, 0, 1, 0, 0, 0, 0}},
        {"Media=CD-RW\nWrites=CD-R\n", RECORDING_MEDIA_CD_RW, 0, {1, 0, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        DriveConfig drive = EngineConfig::Parse(std::string("[Drive R]\n") + c.keys).drives.at(0);
        MediaDescription m = DiscState::FromConfig(drive.disc).Describe(drive);
        EXPECT_EQ(m.type, c.type) << c.keys;
        EXPECT_EQ(m.capacity.freeFrames, c.freeFrames) << c.keys;
        EXPECT_EQ((std::vector<int>{m.flags.blank, m.flags.appendable, m.flags.blocked, m.flags.hasAudioTracks,
                                    m.flags.hasDataTracks, m.flags.closed, m.capacity.trackCount}),
                  c.flags) << c.keys;
    }
}

TEST(DiscStateTest, RefusesStateFilesThatPointOutsideTheFolderOrContradictThemselves) {
    const std::string head = "[Disc]\nOrigin=o\nMedia=CD-R\nCapacity=80\nClosed=0\nSessions=1\nUsedFrames=1000\n";
    auto track = [](int number, int session, int start) {
        return "[Track " + std::to_string(number) + "]\nSession=" + std::to_string(session) +
               "\nType=audio\nStartFrame=" + std::to_string(start) + "\nPregapFrames=150\nLengthFrames=300\n";
    };
    auto tracks = [&](int count) { // a full disc of 99 tracks, or one past it
        std::string text = "[Disc]\nOrigin=o\nMedia=CD-R\nCapacity=80\nClosed=0\nSessions=1\nUsedFrames=" +
                           std::to_string(count * 450) + "\n";
        for (int n = 1; n <= count; ++n) text += track(n, 1, (n - 1) * 450);
        return text;
    };
    ASSERT_NO_THROW(DiscState::Parse(head + track(1, 1, 0))); // each case below breaks one thing
    ASSERT_NO_THROW(DiscState::Parse(tracks(99)));
    const std::pair<const char*, std::string> cases[] = {
        {"file outside", head + track(1, 1, 0) + "File=..\\..\\boot.ini\n"},
        {"drive path", head + track(1, 1, 0) + "File=C:x.bin\n"},
        {"incomplete outside", head + "IncompleteImage=../x\n" + track(1, 1, 0)},
        {"track past the end", head + track(1, 1, 900)},
        {"track numbers skip", head + track(2, 1, 0)},
        {"session not written", head + track(1, 2, 0)},
        {"sessions without tracks", head},
        {"unknown media", "[Disc]\nOrigin=o\nMedia=DVD\nCapacity=80\nClosed=0\nSessions=0\nUsedFrames=0\n"},
        {"CRC32 not hex", head + track(1, 1, 0) + "CRC32=0123456G\n"},
        {"CRC32 short", head + track(1, 1, 0) + "CRC32=1234567\n"},
        {"missing key", "[Disc]\nOrigin=o\nMedia=CD-R\n"},
        {"100 tracks", tracks(100)},
    };
    for (const auto& [name, text] : cases) EXPECT_THROW(DiscState::Parse(text), DiscState::invalid_state) << name;
}

} // namespace
