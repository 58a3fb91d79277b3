// fennel.exe as the host starts it with the window and flag B, on a paced virtual drive,
// with a configuration that closes the window when the burn is complete: in English, French
// and Japanese the window appears translated (no key in braces left on any control),
// records, and goes by itself; a picture of it mid-burn is saved for each language.
#include "../GUI/BoxThread.h"
#include "../app/FennelRun.h"
#include "common/ChildProcess.h"
#include "common/TempFolder.h"
#include "common/TestPaths.h"
#include "common/TestRegistry.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"
#include "recorder/WavBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr int kOverallBar = 1005;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The shipped configuration, closing the window when the burn is complete, signed with the
// program's key.
std::string ClosingConfiguration() {
    std::string text = ReadBytes(WindowsPath(std::string(FENNEL_SOURCE_DIR) + "/config/Fennel.txt"));
    const std::string field = "\nPlugin_CloseAppWhenBurnComplete";
    const std::size_t start = text.find(field);
    if (start == std::string::npos) return std::string();
    const std::size_t end = text.find('\n', start + 1);
    text.replace(start + 1, end - start - 1, "Plugin_CloseAppWhenBurnComplete = 1\r");
    SystemRandom random;
    return CertificateMaker::Make(text, SigningKey::Load(WindowsPath(FENNEL_SIGNING_KEY_FILE)), random);
}

std::string Tune(int seconds) {
    WavBuilder wav;
    wav.samples.resize(static_cast<std::size_t>(seconds) * 176400);
    for (std::size_t i = 0; i < wav.samples.size(); ++i) wav.samples[i] = static_cast<std::uint8_t>((i * 5) >> 2);
    const WavBuilder::Buffer bytes = wav.Bytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string ArtifactsFolder() {
    const std::string path = WindowsPath(std::string(FENNEL_BINARY_DIR) + "/artifacts");
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The window's title and every control's text, as UTF-8.
std::vector<std::string> AllTexts(HWND window) {
    std::vector<HWND> children{window};
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> texts;
    for (HWND child : children) {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        texts.push_back(Utf8(text));
    }
    return texts;
}

class BurnWindowProcessTest : public testing::TestWithParam<const char*> {};

TEST_P(BurnWindowProcessTest, BurnsAtOnceTranslatedAndClosesByItself) {
    const std::string locale = GetParam();
    const std::string language = locale == "00000409" ? "en" : locale == "0000040C" ? "fr" : "ja";
    ASSERT_FALSE(ShippedArea().empty());
    ASSERT_TRUE(DeleteKeyTree(ShippedArea()));
    TempFolder folder;
    std::vector<std::string> files = ShippedLanguageFiles();
    const std::string exe = InstallFennel(folder.Path(), "fennel.exe", files);
    ASSERT_FALSE(exe.empty());
    const std::string configuration = ClosingConfiguration();
    ASSERT_FALSE(configuration.empty());
    folder.Write("Fennel.qcf", configuration);
    // 48x paced: lead-in, the track and lead-out take about three seconds.
    RecorderDrives drives(folder.Write("recorder.ini", "[Drive R]\r\nName=Test Recorder\r\nWriteSpeeds=48\r\n"
                                                       "Images=images\r\nImageName=disc\r\nPaced=1\r\n"));
    UserLocale user(locale);
    ASSERT_TRUE(user.Set());
    const std::string playlist = folder.Write("list.m3u", folder.Write("tune.wav", Tune(5)) + "\r\n");

    ChildProcess fennel(Quoted(exe) + " /B " + Quoted(playlist), folder.Path());
    ASSERT_TRUE(fennel.Started());
    HWND window = FindProcessWindow(fennel.Id(), "#32770", "", 20000);
    ASSERT_NE(nullptr, window) << "no burn window";
    // Mid-burn: the progress bars are shown once recording has started.
    for (int i = 0; i < 400 && IsWindow(window) && !IsWindowVisible(GetDlgItem(window, kOverallBar)); ++i) Sleep(25);
    ASSERT_TRUE(IsWindow(window)) << "the window went before recording was seen";
    Sleep(400);
    const std::vector<std::string> texts = AllTexts(window);
    EXPECT_TRUE(SaveWindowPng(window, ArtifactsFolder() + "\\burn-window-" + language + ".png"));
    for (const std::string& text : texts) EXPECT_EQ(std::string::npos, text.find('{')) << text;
    EXPECT_FALSE(texts.front().empty()) << "untitled window";

    ASSERT_TRUE(fennel.WaitForExit(60000)) << "the window did not close by itself";
    EXPECT_EQ(0u, fennel.ExitCode());
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(ShippedArea(), "BurnResults"));
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(ShippedArea() + "\\TrackResults", "1"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.File("images\\disc.cue").c_str()));
    DeleteKeyTree(ShippedArea());
}

INSTANTIATE_TEST_SUITE_P(Languages, BurnWindowProcessTest, testing::Values("00000409", "0000040C", "00000411"));

} // namespace
