// fennel.exe with the recording engine of recorder/ and one virtual drive described by a
// drive file written per case: the engine check and the media query, each with its box and
// result values. The burns themselves are ReliabilityProcessTest's.
#include "BurnCase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace fenneltest;

using BurnProcessTest = BurnCase;

TEST_F(BurnProcessTest, EngineCheckAndMediaQueryWriteTheirValues) {
    const struct {
        const char* name;
        std::string drive; // disc lines; a whole drive file when it starts with '['
        const char* arguments;
        std::vector<ExpectedBox> boxes;
        Values values;
    } rows[] = {
        {"no drive, quiet", "[Engine]\r\n", "/C", {}, {{"BurnResults", -3}, {"EngineCheckResult", 1}}},
        {"no drive", "[Engine]\r\n", "/T", {{"Windows Media Player", "No CD recorder was found", {}, IDNO}},
         {{"BurnResults", -3}, {"EngineCheckResult", 1}}},
        {"no engine", "", "/T", {{"Windows Media Player", "No CD recording software", {}, IDNO}},
         {{"BurnResults", -3}, {"EngineCheckResult", 2}}},
        {"no disc", "Media=none\r\n", "/S /T", {},
         {{"BurnResults", -3}, {"EngineCheckResult", 0}, {"MediaTimeAvailable", -1}, {"MediaType", 0}}},
        {"blank CD-R", "Media=CD-R\r\nCapacity=74\r\nContent=blank\r\n", "/S /T", {},
         {{"BurnResults", -3}, {"EngineCheckResult", 0}, {"MediaTimeAvailable", 4440}, {"MediaType", 2}}},
        // 74 minutes less the 10 of audio and what a new session needs on the disc.
        {"CD-R with audio", "Media=CD-R\r\nCapacity=74\r\nContent=audio\r\nContentMinutes=10\r\n", "/S /T", {},
         {{"BurnResults", -3}, {"EngineCheckResult", 0}, {"MediaTimeAvailable", 3688}, {"MediaType", 2}}},
        // Not silent: a usable drive shows no box.
        {"blank CD-RW", "Media=CD-RW\r\nCapacity=80\r\nContent=blank\r\n", "/T", {},
         {{"BurnResults", -3}, {"EngineCheckResult", 0}, {"MediaTimeAvailable", 4800}, {"MediaType", 4}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testsupport::DeleteKeyTree(Area()));
        if (row.drive.empty()) {
            ASSERT_TRUE(drives_.Set(kNoEngine));
        } else if (row.drive[0] == '[') {
            ASSERT_TRUE(drives_.Set(temp_.Write("drives.ini", row.drive)));
        } else {
            Drive(row.drive);
        }
        EXPECT_EQ("0", Expect(row.arguments, row.boxes, row.values).exit);
    }
}

} // namespace
