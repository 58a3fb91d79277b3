#include "app/ServerSwitch.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerSwitchTest, RecognisesASwitchOnlyWhenItRunsToTheEndOfTheLine) {
    struct Case {
        const char* line;
        ServerSwitch expected;
    };
    const Case cases[] = {
        {"fennel.exe /RegServer", ServerSwitch::RegServer},
        {"fennel.exe -regserver", ServerSwitch::RegServer},
        {"fennel.exe /UNREGSERVER", ServerSwitch::UnregServer},
        {"fennel.exe -Embedding", ServerSwitch::Embedding},
        {"fennel.exe /automation", ServerSwitch::Automation},
        {"fennel.exe /RegServer extra", ServerSwitch::None},
        {"fennel.exe /RegServer ", ServerSwitch::None},
        {"fennel.exe /Reg", ServerSwitch::None},
        {"\"C:\\my-tools\\fennel.exe\" /RegServer", ServerSwitch::RegServer},
        {"C:/tools/fennel.exe -Embedding", ServerSwitch::Embedding},
        {"fennel.exe /S list.m3u", ServerSwitch::None},
        {"", ServerSwitch::None},
        {"fennel.exe --RegServer", ServerSwitch::RegServer}, // "-RegServer" fails, the second dash matches
        {"fennel.exe /x/RegServer", ServerSwitch::RegServer}, // the scan goes on from the token
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ScanServerSwitches(c.line)) << "line [" << c.line << "]";
    }
}

} // namespace
