// fennel.exe started as the host starts it, with the results read back from the registry.
// Message boxes are found, read and answered by the test; every box must be an expected one.
// The user's locale is English for these tests.
#include "FennelRun.h"
#include "common/ChildProcess.h"
#include "common/ProcessWindows.h"
#include "common/TempFolder.h"
#include "common/TestPaths.h"
#include "common/TestRegistry.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

const std::string& kArea = ShippedArea(); // the program's registry application area

struct Box {
    const char* caption;
    const char* text; // a prefix of the message
    int button;
};

class FennelProcessTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(kArea.empty()) << "no registry area in the Fennel.qcf beside the tests";
        ASSERT_TRUE(english_.Set());
        ASSERT_TRUE(DeleteKeyTree(kArea));
    }
    void TearDown() override { DeleteKeyTree(kArea); }

    // Runs fennel.exe with the arguments; the boxes must be the expected ones, in order.
    Outcome Run(const std::string& arguments, const std::vector<Box>& boxes = {},
                const std::string& exe = FennelExe()) {
        std::vector<int> answers;
        for (const Box& box : boxes) answers.push_back(box.button);
        Outcome outcome = RunFennel(exe, arguments, temp_.Path(), answers);
        EXPECT_EQ(boxes.size(), outcome.boxes.size()) << "boxes shown for [" << arguments << "]";
        for (std::size_t i = 0; i < boxes.size() && i < outcome.boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].caption, outcome.boxes[i].caption) << arguments;
            EXPECT_EQ(0u, outcome.boxes[i].text.rfind(boxes[i].text, 0))
                << "box text [" << outcome.boxes[i].text << "] for [" << arguments << "]";
        }
        return outcome;
    }

    static std::optional<DWORD> Value(const char* name) { return ReadDword(kArea, name); }
    static std::optional<DWORD> Signed(std::int32_t v) { return static_cast<DWORD>(v); }

    UserLocale english_{"00000409"};
    RecorderDrives noEngine_{kNoEngine}; // these cases see no recording engine
    TempFolder temp_;
    const std::string playlist_ = temp_.Write("list.m3u", "C:\\Music\\one.wma\r\nC:\\Music\\two.wma\r\n");
};

const char kPluginApp[] = "Fennel CD Burner";
const char kPartnerApp[] = "Windows Media Player";

TEST_F(FennelProcessTest, RegistrationSwitchesEndAtOnceWithoutInitialisation) {
    const char* switches[] = {"/RegServer", "/UnregServer", "-regserver", "/UNREGSERVER"};
    for (const char* option : switches) {
        EXPECT_EQ("0", Run(option).exit) << option;
        EXPECT_FALSE(KeyExists(kArea)) << option << " must not initialise";
    }
}

TEST_F(FennelProcessTest, ADashInTheProgramPathIsSkipped) {
    TempFolder folder; // its name holds dashes
    ASSERT_NE(std::string::npos, folder.Path().find('-'));
    std::vector<std::string> files = ShippedLanguageFiles();
    files.push_back("Fennel.qcf");
    const std::string copy = InstallFennel(folder.Path(), "fennel-copy.exe", files);
    ASSERT_FALSE(copy.empty()) << "GetLastError() = " << GetLastError();
    EXPECT_EQ("0", Run("/RegServer", {}, copy).exit);
    EXPECT_FALSE(KeyExists(kArea));
    EXPECT_EQ("0", Run("/C", {}, copy).exit);
    EXPECT_EQ(2u, Value("EngineCheckResult"));
}

TEST_F(FennelProcessTest, ASwitchFollowedByMoreTextRunsTheBurnMode) {
    const Outcome outcome =
        Run("/RegServer extra", {{kPartnerApp, "No CD recording software was found", IDNO}});
    EXPECT_EQ("0", outcome.exit);
    EXPECT_NE(std::string::npos, outcome.output.find("Unknown command-line flag '/RegServer'")) << outcome.output;
    EXPECT_EQ(Signed(-3), Value("BurnResults"));
    EXPECT_EQ(2u, Value("EngineCheckResult"));
}

TEST_F(FennelProcessTest, AnUnusableCommandLineWritesMinusFour) {
    struct Case {
        std::string arguments;
    };
    const Case cases[] = {{""}, {"/T /B"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(DeleteKeyTree(kArea));
        const Outcome outcome = Run(c.arguments, {{kPluginApp, "This program records audio CDs", IDOK}});
        EXPECT_EQ("0", outcome.exit) << "[" << c.arguments << "]";
        EXPECT_EQ(Signed(-4), Value("BurnResults")) << "[" << c.arguments << "]";
        EXPECT_EQ(std::nullopt, Value("EngineCheckResult")) << "[" << c.arguments << "]";
    }
}

TEST_F(FennelProcessTest, QuietChecksWriteTheirValuesWithoutABox) {
    struct Case {
        std::string arguments;
        std::optional<DWORD> engineCheck, mediaTime, mediaType;
    };
    const Case cases[] = {
        {"/C", 2u, std::nullopt, std::nullopt},
        {"/S /T", 2u, 0u, 0u},
        {"/U " + playlist_, std::nullopt, std::nullopt, std::nullopt},
        {"/S " + Quoted(playlist_), 2u, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(DeleteKeyTree(kArea));
        EXPECT_EQ("0", Run(c.arguments).exit) << c.arguments;
        EXPECT_EQ(Signed(-3), Value("BurnResults")) << c.arguments;
        EXPECT_EQ(c.engineCheck, Value("EngineCheckResult")) << c.arguments;
        EXPECT_EQ(c.mediaTime, Value("MediaTimeAvailable")) << c.arguments;
        EXPECT_EQ(c.mediaType, Value("MediaType")) << c.arguments;
    }
}

TEST_F(FennelProcessTest, TheServerModeShowsNoWindowAndEndsWhenIdle) {
    ChildProcess child(Quoted(FennelExe()) + " -Embedding", temp_.Path());
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(nullptr, FindProcessWindow(child.Id(), "", "", 1000));
    ASSERT_TRUE(child.WaitForExit(20000)) << "the idle server did not end";
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_EQ(Signed(-3), Value("BurnResults"));
}

TEST_F(FennelProcessTest, ASecondBurnWhileTheSentinelIsHeldTouchesOnlyTheStartValue) {
    UniqueKernelHandle sentinel(CreateSemaphoreA(nullptr, 0, 1, "fennel sentinel"));
    ASSERT_TRUE(sentinel);
    ASSERT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError()) << "another burn is running";
    ASSERT_TRUE(WriteDword(kArea, "BurnResults", 0));
    ASSERT_TRUE(WriteDword(kArea, "MediaTimeAvailable", 1234));
    ASSERT_TRUE(WriteDword(kArea + "\\TrackResults", "1", static_cast<DWORD>(-8)));

    const Outcome outcome = Run("/S " + Quoted(playlist_), {{kPluginApp, "Another CD is being recorded right now.", IDOK}});
    EXPECT_EQ("0", outcome.exit);
    EXPECT_EQ(Signed(-3), Value("BurnResults"));
    EXPECT_EQ(1234u, Value("MediaTimeAvailable"));
    EXPECT_EQ(Signed(-8), ReadDword(kArea + "\\TrackResults", "1"));
    EXPECT_EQ((std::vector<std::string>{"1"}), ValueNames(kArea + "\\TrackResults"));
}

TEST_F(FennelProcessTest, ARefusedSentinelEndsWithAClearMessage) {
    // A mutex that already carries the sentinel's name makes CreateSemaphore fail.
    UniqueKernelHandle blocker(CreateMutexA(nullptr, FALSE, "fennel sentinel"));
    ASSERT_TRUE(blocker);
    const Outcome outcome =
        Run("/S " + Quoted(playlist_), {{kPluginApp, "Unable to create the single-instance sentinel", IDOK}});
    EXPECT_EQ("1", outcome.exit);
    EXPECT_EQ(Signed(-1), Value("BurnResults"));
}

} // namespace
