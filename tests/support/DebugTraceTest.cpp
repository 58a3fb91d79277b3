#include "support/DebugTrace.h"
#include "support/FormatApiError.h"

#include "common/HostKit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

namespace {

TEST(DebugTraceTest, StandardStreamModesWriteTheFormattedTextCutAt255) {
    const std::string longText(256, 'x');
    const std::tuple<int, std::string, std::string> cases[] = {
        {7, "a\nb", "a\nb"}, {7, longText, longText.substr(0, 255)}, {7, longText.substr(1), longText.substr(1)},
        {0, "off", ""},      {9, "unknown mode", ""},                {2, "a serial port that isn't there", ""}};
    for (const auto& [mode, text, expected] : cases) {
        testing::internal::CaptureStdout();
        DebugTraceTo(mode, "%s", text.c_str());
        std::fflush(stdout);
        EXPECT_EQ(expected, testing::internal::GetCapturedStdout()) << "mode " << mode;
    }
}

TEST(DebugTraceTest, FileModeAppendsBesideTheExecutable) {
    const std::string path = testsupport::SelfPath() + ".trace";
    DeleteFileA(path.c_str());
    DebugTraceTo(6, "first %d\n", 1);
    DebugTraceTo(6, "second %s\n", "line");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("first 1\r\nsecond line\r\n", text) << "a text file: line ends as CR LF";
}

TEST(FormatApiErrorTest, NamesTheCallTheCodeAndTheSystemText) {
    const std::string prefix = "Call to 'RegisterClass()' returned error 5: ", known = FormatApiError("RegisterClass()", ERROR_ACCESS_DENIED);
    EXPECT_TRUE(known.rfind(prefix, 0) == 0 && known.size() > prefix.size()) << known;
    // A code without system text ends with the number; codes print unsigned.
    EXPECT_EQ("Call to 'X' returned error 4294967295", FormatApiError("X", 0xFFFFFFFF));
}

} // namespace
