// fennel.exe with its burn window and the recording engine of recorder/, driven as a user
// would: burns at once that close by themselves in English, French and Japanese (with a
// picture of each window mid-burn and no key in braces left on any control); Record to
// completion with Close; cancelling before and during recording; a full rewritable disc
// erased before recording; a refused disc.
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

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
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

// The shipped configuration with the given fields' values, signed with the program's key.
std::string Configuration(const std::vector<std::pair<std::string, int>>& fields) {
    std::string text = ReadBytes(WindowsPath(std::string(FENNEL_SOURCE_DIR) + "/config/Fennel.txt"));
    for (const auto& [name, value] : fields) {
        const std::size_t start = text.find("\n" + name + " ");
        if (start == std::string::npos) return std::string();
        const std::size_t end = text.find('\n', start + 1);
        text.replace(start + 1, end - start - 1, name + " = " + std::to_string(value) + "\r");
    }
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

constexpr char kCloseWhenComplete[] = "Plugin_CloseAppWhenBurnComplete";
constexpr char kConfirmBefore[] = "Plugin_ConfirmCancelBeforeBurnStarted";
constexpr char kConfirmAfter[] = "Plugin_ConfirmCancelAfterBurnStarted";
constexpr int kRecord = 1006;
constexpr int kCancel = IDCANCEL;

// Static texts, buttons and the frame's title that are wider than their control, measured
// with the dialog's font (MS Shell Dlg 8, bold for the overall status) in the language's
// character set at the screen's resolution.
std::vector<std::string> CutTexts(HWND window, BYTE charset) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> cut;
    HDC dc = GetDC(nullptr);
    for (HWND child : children) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        const std::string kind = name;
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (!IsWindowVisible(child) || (kind != "Static" && kind != "Button")) continue;
        if (kind == "Static" && (style & SS_TYPEMASK) > SS_RIGHT) continue; // pictures
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        std::wstring shown = text;
        if (!(kind == "Static" && (style & SS_NOPREFIX))) std::erase(shown, L'&');
        if (shown.empty()) continue;
        LOGFONTW font{};
        font.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
        font.lfWeight = GetDlgCtrlID(child) == 1000 ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = charset;
        wcscpy(font.lfFaceName, L"MS Shell Dlg");
        HFONT handle = CreateFontIndirectW(&font);
        HGDIOBJ old = SelectObject(dc, handle);
        SIZE size{};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        SelectObject(dc, old);
        DeleteObject(handle);
        RECT area{};
        GetClientRect(child, &area);
        const bool frame = kind == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
        const LONG room = area.right - (kind == "Button" ? (frame ? 16 : 6) : 0);
        if (size.cx > room) cut.push_back(Utf8(shown) + " (" + std::to_string(size.cx) + " > " + std::to_string(room) + ")");
    }
    ReleaseDC(nullptr, dc);
    return cut;
}

class BurnWindowRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ShippedArea().empty());
        ASSERT_TRUE(DeleteKeyTree(ShippedArea()));
    }
    void TearDown() override { DeleteKeyTree(ShippedArea()); }

    // Installs fennel.exe with the configuration and a paced drive R of the given disc.
    void Install(const std::vector<std::pair<std::string, int>>& fields, const std::string& disc = "", int speed = 48) {
        exe_ = InstallFennel(folder_.Path(), "fennel.exe", ShippedLanguageFiles());
        ASSERT_FALSE(exe_.empty());
        const std::string configuration = Configuration(fields);
        ASSERT_FALSE(configuration.empty());
        folder_.Write("Fennel.qcf", configuration);
        ASSERT_TRUE(drives_.Set(folder_.Write("recorder.ini", "[Drive R]\r\nName=Test Recorder\r\nWriteSpeeds=" +
                                                              std::to_string(speed) + "\r\nImages=images\r\nImageName=disc\r\n" +
                                                              (disc.find("Paced=") == std::string::npos ? "Paced=1\r\n" : "") + disc)));
    }
    // Starts the burn of one tune and waits for its window.
    void Start(const std::string& flags, int seconds = 5) {
        const std::string playlist = folder_.Write("list.m3u", folder_.Write("tune.wav", Tune(seconds)) + "\r\n");
        fennel_ = std::make_unique<ChildProcess>(Quoted(exe_) + " " + flags + " " + Quoted(playlist), folder_.Path());
        ASSERT_TRUE(fennel_->Started());
        window_ = FindProcessWindow(fennel_->Id(), "#32770", "", 20000);
        ASSERT_NE(nullptr, window_) << "no burn window";
    }
    bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000) {
        for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < timeoutMs; Sleep(25)) {
            if (condition()) return true;
        }
        return condition();
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    void Press(int id) { PostMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0); }
    static std::optional<std::int32_t> Value(const std::string& name, const std::string& key = ShippedArea()) {
        const auto value = ReadDword(key, name);
        return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
    }
    std::string Ended() {
        if (!fennel_->WaitForExit(30000)) return "still running";
        return std::to_string(fennel_->ExitCode());
    }

    TempFolder folder_;
    RecorderDrives drives_{kNoEngine};
    std::string exe_;
    std::unique_ptr<ChildProcess> fennel_;
    HWND window_ = nullptr;
};

class BurnWindowLanguages : public BurnWindowRun, public testing::WithParamInterface<const char*> {};

TEST_P(BurnWindowLanguages, BurnsAtOnceTranslatedAndClosesByItself) {
    const std::string locale = GetParam();
    const std::string language = locale == "00000409" ? "en" : locale == "0000040C" ? "fr" : "ja";
    Install({{kCloseWhenComplete, 1}});
    UserLocale user(locale);
    ASSERT_TRUE(user.Set());
    Start("/B");
    // Mid-burn: the progress bars are shown once recording has started.
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window_) || IsWindowVisible(GetDlgItem(window_, kOverallBar)); }));
    ASSERT_TRUE(IsWindow(window_)) << "the window went before recording was seen";
    Sleep(400);
    const std::vector<std::string> texts = AllTexts(window_);
    EXPECT_TRUE(SaveWindowPng(window_, ArtifactsFolder() + "\\burn-window-" + language + ".png"));
    for (const std::string& text : texts) EXPECT_EQ(std::string::npos, text.find('{')) << text;
    EXPECT_FALSE(texts.front().empty()) << "untitled window";
    EXPECT_EQ(std::vector<std::string>{}, CutTexts(window_, language == "ja" ? SHIFTJIS_CHARSET : DEFAULT_CHARSET));

    EXPECT_EQ("0", Ended()) << "the window did not close by itself";
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ(0, Value("1", ShippedArea() + "\\TrackResults"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder_.File("images\\disc.cue").c_str()));
}

INSTANTIATE_TEST_SUITE_P(Languages, BurnWindowLanguages, testing::Values("00000409", "0000040C", "00000411"));

// The window at 150 % and 200 % display scaling (the resolution Wine gives new processes):
// it grows with the scale (dialog units follow the font, so not exactly in proportion).
TEST_F(BurnWindowRun, ScalesWithTheDisplay) {
    // The resolution is put back however the test ends.
    struct Resolution {
        const std::string key = "Control Panel\\Desktop";
        const std::optional<DWORD> saved = ReadDword(key, "LogPixels");
        ~Resolution() { saved ? WriteDword(key, "LogPixels", *saved) : DeleteValue(key, "LogPixels"); }
    } resolution;
    UserLocale user("00000409");
    Install({{kCloseWhenComplete, 1}});
    LONG width96 = 0;
    for (const DWORD dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        ASSERT_TRUE(WriteDword(resolution.key, "LogPixels", dpi));
        std::error_code ignored;
        std::filesystem::remove_all(folder_.File("images"), ignored); // a blank disc again
        Start("/B");
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(window_) || IsWindowVisible(GetDlgItem(window_, kOverallBar)); }));
        RECT frame{};
        GetWindowRect(window_, &frame);
        if (dpi == 96) {
            width96 = frame.right - frame.left;
        } else {
            const double scaled = width96 * static_cast<double>(dpi) / 96, width = frame.right - frame.left;
            EXPECT_GT(width, scaled * 0.85);
            EXPECT_LT(width, scaled * 1.25);
            EXPECT_TRUE(SaveWindowPng(window_, ArtifactsFolder() + "\\burn-window-en-" + std::to_string(dpi * 100 / 96) + ".png"));
        }
        EXPECT_EQ("0", Ended());
    }
}

TEST_F(BurnWindowRun, RecordToCompletionTurnsCancelIntoClose) {
    UserLocale user("00000409");
    Install({{kCloseWhenComplete, 0}});
    Start("");
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); })) << "Record never became usable";
    EXPECT_EQ(std::vector<std::string>{}, CutTexts(window_, DEFAULT_CHARSET));
    const std::string cancel = WindowText(GetDlgItem(window_, kCancel));
    Press(kRecord);
    ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(window_, kCancel)) != cancel; }));
    EXPECT_EQ("&Close", WindowText(GetDlgItem(window_, kCancel)));
    EXPECT_EQ("Recording complete.", WindowText(GetDlgItem(window_, 1000)));
    EXPECT_EQ(100, SendMessageA(GetDlgItem(window_, kOverallBar), PBM_GETPOS, 0, 0));
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ(0, Value("1", ShippedArea() + "\\TrackResults"));
    Press(kCancel);
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(nullptr, FindMessageBox(fennel_->Id()));
}

// Cancel before recording asks only when the configuration says so; No keeps the window.
TEST_F(BurnWindowRun, CancelBeforeRecordingAsksWhenConfigured) {
    UserLocale user("00000409");
    for (const int confirm : {1, 0}) {
        SCOPED_TRACE(confirm);
        Install({{kConfirmBefore, confirm}});
        Start("");
        ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
        Press(kCancel);
        if (confirm) {
            MessageBoxSeen seen;
            ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDNO, 10000, &seen));
            EXPECT_EQ("Do you want to cancel the recording?", seen.text);
            Sleep(200);
            ASSERT_TRUE(IsWindow(window_));
            Press(kCancel);
            ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDYES, 10000));
        }
        EXPECT_EQ("0", Ended());
        EXPECT_EQ(-3, Value("BurnResults")); // nothing was recorded
    }
}

TEST_F(BurnWindowRun, CancelDuringRecordingInterruptsTheTrack) {
    UserLocale user("00000409");
    Install({{kConfirmAfter, 1}}, "", 24); // the track takes 2.5 s
    Start("/B", 60);
    ASSERT_TRUE(WaitFor([&] { return Value("1", ShippedArea() + "\\TrackResults") == -8; }, 30000));
    Press(kCancel);
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDYES, 10000));
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(-2, Value("BurnResults"));
    EXPECT_EQ(-2, Value("1", ShippedArea() + "\\TrackResults"));
}

// The erase runs and is seen through (the window waits for the erased disc to settle),
// then the recording runs to its end.
TEST_F(BurnWindowRun, AFullRewritableDiscIsErasedWhenTheUserAgrees) {
    UserLocale user("00000409");
    Install({{kCloseWhenComplete, 0}}, "Media=CD-RW\r\nContent=audio\r\nClosed=1\r\nPaced=0\r\n");
    Start("");
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
    Press(kRecord);
    MessageBoxSeen seen;
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDYES, 10000, &seen));
    EXPECT_NE(std::string::npos, seen.text.find("erase it")) << seen.text;
    // The result value steps through erase started (-7) and erase completed (-9); the status
    // line can't show that, since a drive or media change puts the run's description back on it.
    for (const std::int32_t expected : {-7, -9}) {
        EXPECT_TRUE(WaitFor([&] { return Value("BurnResults") == expected; })) << expected;
    }
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(window_, 1000)) == "Recording complete."; }));
    EXPECT_EQ("&Close", WindowText(GetDlgItem(window_, kCancel)));
    Press(kCancel);
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ(0, Value("1", ShippedArea() + "\\TrackResults"));
}

TEST_F(BurnWindowRun, ARefusedDiscLeavesTheWindowReady) {
    UserLocale user("00000409");
    Install({}, "Media=CD-R\r\nContent=data\r\n");
    Start("");
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
    Press(kRecord);
    MessageBoxSeen seen;
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDCANCEL, 10000, &seen));
    EXPECT_NE(std::string::npos, seen.text.find("already holds data")) << seen.text;
    EXPECT_TRUE(WaitFor([&] { return Enabled(kRecord); })) << "Record stayed disabled";
    EXPECT_EQ(-3, Value("BurnResults"));
    Press(kCancel);
    EXPECT_EQ("0", Ended());
}

} // namespace
