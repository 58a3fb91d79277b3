#include "app/BurnRequest.h"
#include "engine/EngineClientCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Records what Parse asks of the application, in order.
class RecordingChecks : public StartChecks {
public:
    explicit RecordingChecks(std::int32_t engineResult) : engineResult_(engineResult) {}
    void SetBurnResults(BurnResult result) override { calls.push_back("BurnResults=" + std::to_string(ValueOf(result))); }
    void ShowNoCommandLine() override { calls.push_back("NoCommandLine"); }
    void ReportUnknownFlag(const std::string& line) override { calls.push_back(line); }
    std::int32_t EngineCheck(bool quiet) override {
        calls.push_back(quiet ? "EngineCheck(quiet)" : "EngineCheck");
        return engineResult_;
    }
    void MediaQuery() override { calls.push_back("MediaQuery"); }
    Calls calls;

private:
    std::int32_t engineResult_;
};

constexpr std::int32_t kEngineOk = 0;
constexpr std::int32_t kNoEngine = ENGINE_E_NO_ENGINE;

const Calls kNoLine = {"BurnResults=-4", "NoCommandLine"};

struct ParseCase {
    const char* tail;
    std::int32_t engine;
    bool endsNow;
    Calls calls;
    const char* playlist;
    const char* flags; // of silent, burn at once, erase first, erase only: "SBEO" or '-'
};

std::string Flags(const BurnRequest& r) {
    return std::string() + (r.silent ? 'S' : '-') + (r.burnAtOnce ? 'B' : '-') + (r.eraseFirst ? 'E' : '-') +
           (r.eraseOnly ? 'O' : '-');
}

TEST(BurnRequestTest, ParseDecidesWhetherTheProcessGoesOn) {
    const ParseCase cases[] = {
        {"", kEngineOk, true, kNoLine, "", "----"},
        {"list.m3u", kEngineOk, false, {"EngineCheck"}, "list.m3u", "----"},
        {"list.m3u", kNoEngine, true, {"EngineCheck"}, "list.m3u", "----"},
        {"/T", kEngineOk, true, {"EngineCheck", "MediaQuery"}, "", "----"},
        {"/T", kNoEngine, true, {"EngineCheck"}, "", "----"},
        {"/T /S", kNoEngine, true, {"EngineCheck(quiet)", "MediaQuery"}, "", "S---"},
        {"/T /B", kEngineOk, true, kNoLine, "", "-B--"},
        {"/C", kNoEngine, true, {"EngineCheck(quiet)"}, "", "----"},
        {"/U", kEngineOk, true, {}, "", "----"},
        {"/U /B", kEngineOk, true, kNoLine, "", "-B--"},
        {"/E", kEngineOk, false, {"EngineCheck"}, "", "--EO"},
        {"/E list.m3u", kEngineOk, false, {"EngineCheck"}, "list.m3u", "--E-"},
        {"/S list.m3u", kNoEngine, false, {"EngineCheck(quiet)"}, "list.m3u", "S---"},
        {"/S", kEngineOk, true, kNoLine, "", "S---"},
        {"/s /b a.m3u", kEngineOk, false, {"EngineCheck(quiet)"}, "a.m3u", "SB--"},
        {"/burn a.m3u", kEngineOk, false, {"Unknown command-line flag '/burn'", "EngineCheck"}, "a.m3u", "----"},
        {"+x -Q a.m3u", kEngineOk, false,
         {"Unknown command-line flag '+x'", "Unknown command-line flag '-Q'", "EngineCheck"}, "a.m3u", "----"},
        {"first.m3u second.m3u", kEngineOk, false, {"EngineCheck"}, "second.m3u", "----"},
        {"\"C:\\My Music\\a.m3u\" 42", kEngineOk, false, {"EngineCheck"}, "C:\\My Music\\a.m3u", "----"},
        {"42", kEngineOk, true, kNoLine, "", "----"},
        {"\"\"", kEngineOk, true, kNoLine, "", "----"},
        {"/T a.m3u /C", kEngineOk, true, {"EngineCheck(quiet)", "MediaQuery"}, "a.m3u", "----"},
    };
    for (const ParseCase& c : cases) {
        BurnRequest request;
        RecordingChecks checks(c.engine);
        EXPECT_EQ(c.endsNow, request.Parse(c.tail, checks)) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.calls, checks.calls) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.playlist, request.playlistPath) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.flags, Flags(request)) << "tail [" << c.tail << "]";
        EXPECT_TRUE(request.tracks.empty());
    }
}

// The formats are PlaylistReaderTest's; reading real files PlaylistBurnProcessTest's.
TEST(BurnRequestTest, AMissingPlaylistAddsNothing) {
    BurnRequest request;
    EXPECT_TRUE(request.ReadPlaylist((std::filesystem::temp_directory_path() / "fennel-none" / "missing.asx").string()));
    EXPECT_TRUE(request.tracks.empty());
}

} // namespace
