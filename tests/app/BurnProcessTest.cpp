// fennel.exe as the host starts it, with the recording engine of recorder/ and one virtual
// drive described by a drive file written per case: the engine check, the media query and
// silent burns, each judged by the result values and the image the engine wrote.
#include "BurnCase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

const std::string& kArea = ShippedArea();

using BurnProcessTest = BurnCase;

// A track value that a row leaves open: around a failure the values depend on what the
// progress polling saw (a track written before the failed one ends at 0 or stays at -8;
// the failed one is -1, or stays -8 or -3 when the error came outside the track stage).
constexpr std::int32_t kAny = 99;

const char kBlank80[] = "Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n";

TEST_F(BurnProcessTest, EngineCheckClassifiesEachOutcomeAndShowsItsBox) {
    const struct {
        const char* name;
        std::string drive; // disc lines; a whole drive file when it starts with '['; empty: no
                           // drive file, so the engine refuses to start
        std::int32_t checkResult;
        const char* boxText; // prefix; null: no box
    } rows[] = {
        {"usable drive", kBlank80, 0, nullptr},
        {"no engine", "", 2, "No CD recording software"},
        {"no drive", "[Engine]\r\n", 1, "No CD recorder was found"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.drive.empty()) {
            ASSERT_TRUE(drives_.Set(kNoEngine));
        } else if (row.drive[0] == '[') {
            ASSERT_TRUE(drives_.Set(temp_.Write("drives.ini", row.drive)));
        } else {
            Drive(row.drive);
        }
        // Flag C: the check without any box.
        Outcome quiet = Fennel("/C");
        EXPECT_EQ("0", quiet.exit);
        EXPECT_TRUE(quiet.boxes.empty());
        EXPECT_EQ(row.checkResult, Value("EngineCheckResult"));
        // Flag T alone shows the check's box (answered No) before anything else.
        Outcome shown = Fennel("/T", {IDNO});
        EXPECT_EQ("0", shown.exit);
        if (row.boxText) {
            ASSERT_EQ(1u, shown.boxes.size());
            EXPECT_EQ("Windows Media Player", shown.boxes[0].caption);
            EXPECT_EQ(0u, shown.boxes[0].text.rfind(row.boxText, 0)) << shown.boxes[0].text;
        } else {
            EXPECT_TRUE(shown.boxes.empty());
        }
    }
}

TEST_F(BurnProcessTest, MediaQueryWritesFreeSecondsAndType) {
    const struct {
        const char* disc;
        std::int32_t minSeconds, maxSeconds, type;
    } rows[] = {
        {"Media=none\r\n", -1, -1, 0},
        {"Media=CD-R\r\nCapacity=74\r\nContent=blank\r\n", 4440, 4440, 2},
        {"Media=CD-R\r\nCapacity=74\r\nContent=audio\r\nContentMinutes=10\r\n", 1, 3839, 2},
        {"Media=CD-RW\r\nCapacity=80\r\nContent=blank\r\n", 4800, 4800, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disc);
        Drive(row.disc);
        EXPECT_EQ("0", Fennel("/S /T").exit);
        const std::int32_t seconds = Value("MediaTimeAvailable").value_or(-99);
        EXPECT_GE(seconds, row.minSeconds);
        EXPECT_LE(seconds, row.maxSeconds);
        EXPECT_EQ(row.type, Value("MediaType"));
    }
}

TEST_F(BurnProcessTest, SilentBurnsEndWithTheirResultValues) {
    const struct {
        const char* name;
        std::string disc;
        std::vector<std::string> files;
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks;
        bool image;
    } rows[] = {
        {"all accepted", kBlank80, {"a.wav", "b.wav", "c.wav"}, 0, {0, 0, 0}, true},
        {"one disallowed", kBlank80, {"a.wav", "b.ogg", "c.wav"}, 1, {0, -7, 0}, true},
        {"missing file", kBlank80, {"a.wav", "missing.wav"}, 1, {0, -5}, true},
        {"no extension", kBlank80, {"a.wav", "noext"}, 1, {0, -6}, true},
        {"closed disc", "Media=CD-R\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n", {"a.wav"}, -10, {-3}, false},
        {"no disc", "Media=none\r\n", {"a.wav"}, -10, {-3}, false},
        // Paced, so that the progress polling sees the tracks go by.
        {"failure mid-way", std::string(kBlank80) + "Paced=1\r\nWriteSpeeds=16\r\nFault.FailAtPercent=50\r\n", {"a.wav", "b.wav", "c.wav"}, -1,
         {kAny, kAny, -3}, false},
        // Bytes flipped in the image after they were written: the read-back check fails the burn.
        {"corrupted image", std::string(kBlank80) + "Fault.CorruptAtPercent=50\r\n", {"a.wav", "b.wav", "c.wav"}, -1,
         {kAny, kAny, kAny}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drive(row.disc);
        FreshDisc();
        const Outcome outcome = Burn(row.files);
        EXPECT_EQ("0", outcome.exit);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        std::vector<std::int32_t> tracks = Tracks(row.tracks.size());
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (row.tracks[i] == kAny) tracks[i] = kAny;
        }
        EXPECT_EQ(row.tracks, tracks);
        if (row.burnResults == -1) {
            EXPECT_NE(0, Value("2", kArea + "\\TrackResults")) << "the failed track never reads as recorded";
        }
        EXPECT_EQ(row.image, ImageExists());
    }
}

TEST_F(BurnProcessTest, EraseFirstBlanksARewritableDiscAndThenBurns) {
    Drive("Media=CD-RW\r\nCapacity=80\r\nContent=audio\r\nClosed=1\r\n");
    const Outcome outcome = Burn({"a.wav", "b.wav"}, "/S /E");
    EXPECT_EQ("0", outcome.exit);
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), Tracks(2));
    EXPECT_TRUE(ImageExists());
}

} // namespace
