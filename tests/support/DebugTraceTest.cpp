#include "support/DebugTrace.h"

#include "common/TestPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

TEST(DebugTraceTest, StandardStreamModesWriteTheFormattedTextCutAt255) {
    const std::string longText(300, 'x');
    struct Case {
        int mode;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {7, "a\nb", "a\nb"},
        {7, longText, longText.substr(0, 255)},
        {0, "off", ""},
        {9, "unknown mode", ""},
        {2, "a serial port that isn't there", ""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        DebugTraceTo(c.mode, "%s", c.text.c_str());
        std::cout.flush();
        std::fflush(stdout);
        EXPECT_EQ(c.expected, testing::internal::GetCapturedStdout()) << "mode " << c.mode;
    }
    testing::internal::CaptureStdout();
    DebugTraceTo(7, "CreateMutexA() returned error %ld", 183L);
    std::cout.flush();
    EXPECT_EQ("CreateMutexA() returned error 183", testing::internal::GetCapturedStdout());
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

} // namespace
