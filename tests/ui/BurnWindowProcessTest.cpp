// fennel.exe with its burn window and the recording engine of recorder/, driven with clicks
// and keys as a user would.
#include "BurnCase.h"
#include "common/StandIn.h"
#include "support/UniqueHandle.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr int kStatus = 1000, kSecondBar = 1004, kOverallBar = 1005, kRecord = 1006;
constexpr char kCloseWhenComplete[] = "Plugin_CloseAppWhenBurnComplete";

// Static texts, buttons and frame titles wider than their control, measured with the
// dialog's font (MS Shell Dlg 8, bold for the overall status) in the language's character set.
std::vector<std::string> CutTexts(HWND window, BYTE charset) {
    std::vector<std::string> cut;
    UniqueDC dc(nullptr);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
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
        font.lfHeight = -MulDiv(8, GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
        font.lfWeight = GetDlgCtrlID(child) == kStatus ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = charset;
        wcscpy(font.lfFaceName, L"MS Shell Dlg");
        const UniqueFont handle(CreateFontIndirectW(&font));
        const HGDIOBJ old = SelectObject(dc.get(), handle.get());
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), shown.c_str(), static_cast<int>(shown.size()), &size);
        SelectObject(dc.get(), old);
        RECT area{};
        GetClientRect(child, &area);
        const bool frame = kind == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
        const LONG room = area.right - (kind == "Button" ? (frame ? 16 : 6) : 0);
        if (size.cx > room) cut.push_back(Utf8(shown) + " (" + std::to_string(size.cx) + " > " + std::to_string(room) + ")");
    }
    return cut;
}

class BurnWindowRun : public BurnCase {
protected:
    // Installs fennel.exe with the configuration and a drive R, paced at 48x unless the disc
    // lines say otherwise.
    void Install(const std::vector<std::pair<std::string, std::string>>& fields, const std::string& disc = "") {
        exe_ = InstallFennel(temp_.Path(), "fennel.exe", {"FN1033.lng", "FN1036.lng", "FN1041.lng"});
        ASSERT_FALSE(exe_.empty());
        const std::string configuration = SignedConfiguration(fields);
        ASSERT_FALSE(configuration.empty());
        temp_.Write("Fennel.qcf", configuration);
        Drive(disc + (disc.find("Paced=") == std::string::npos ? "Paced=1\r\nWriteSpeeds=48\r\n" : ""));
    }
    // Starts the burn of the tunes, shown as the show command says.
    void Launch(const std::string& flags, int seconds, const std::vector<std::string>& tunes, int show = -1) {
        const std::string command = Quoted(exe_) + " " + flags + " " + Quoted(Playlist(tunes, seconds));
        fennel_ = std::make_unique<ChildProcess>(command, temp_.Path(), std::string(), show);
        ASSERT_TRUE(fennel_->Started()) << "GetLastError() = " << fennel_->Error() << " for " << command;
    }
    // Starts the burn of one tune and waits for its window.
    void Start(const std::string& flags, int seconds = 5, int show = -1) {
        Launch(flags, seconds, {"tune.wav"}, show);
        window_ = FindProcessWindow(fennel_->Id(), "#32770", "", 20000);
        ASSERT_NE(nullptr, window_) << "no burn window";
    }
    // Types the keys into the window as a keyboard would (a key held with Alt is given as
    // VK_MENU before it).
    void Type(const std::vector<WORD>& keys) {
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(window_) != FALSE; })) << "a box is still up";
        SetForegroundWindow(window_);
        std::vector<INPUT> inputs;
        for (const bool up : {false, true}) {
            for (std::size_t i = 0; i < keys.size(); ++i) {
                INPUT input{};
                input.type = INPUT_KEYBOARD;
                input.ki.wVk = keys[up ? keys.size() - 1 - i : i];
                input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
                inputs.push_back(input);
            }
        }
        ASSERT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)))
            << "GetLastError() = " << GetLastError();
    }
    // The default button's identifier and whether it has the focus.
    std::pair<int, bool> DefaultButton() const {
        const int id = LOWORD(SendMessageA(window_, DM_GETDEFID, 0, 0));
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
        return {id, info.hwndFocus == GetDlgItem(window_, id)};
    }
    bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000) {
        for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < timeoutMs; Sleep(25)) {
            if (condition()) return true;
        }
        return condition();
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    void Press(int id) { PostMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0); }
    std::string Shown(int id) const { return WindowText(GetDlgItem(window_, id)); }
    std::string Ended() { return fennel_->WaitForExit(30000) ? std::to_string(fennel_->ExitCode()) : "still running"; }

    std::string exe_;
    std::unique_ptr<ChildProcess> fennel_;
    HWND window_ = nullptr;
};

class BurnWindowLanguages : public BurnWindowRun, public testing::WithParamInterface<const char*> {};

// Japanese is started minimised, as a host may: the window stays so and burns all the same.
TEST_P(BurnWindowLanguages, BurnsAtOnceTranslatedAndClosesByItself) {
    const std::string locale = GetParam();
    const bool minimised = locale == "00000411";
    Install({{kCloseWhenComplete, "1"}});
    UserLocale user(locale);
    ASSERT_TRUE(user.Set());
    Start("/B", 5, minimised ? SW_SHOWMINNOACTIVE : -1);
    EXPECT_EQ(minimised, IsIconic(window_) != FALSE) << "the host's show command was not followed";
    // The progress bars are shown once recording has started; the second bar's percentage is
    // the last text the start of recording sets.
    ASSERT_TRUE(WaitFor([&] {
        return !IsWindow(window_) ||
               (IsWindowVisible(GetDlgItem(window_, kOverallBar)) && !Shown(kSecondBar).empty());
    }));
    ASSERT_TRUE(IsWindow(window_)) << "the window went before recording was seen";
    const std::string title = WindowText(window_);
    const std::vector<ControlText> controls = ControlTexts(window_);
    EXPECT_NE("", title) << "untitled window";
    for (const ControlText& control : controls) EXPECT_EQ(std::string::npos, control.text.find('{')) << control.text;
    EXPECT_EQ(std::vector<std::string>{}, CutTexts(window_, minimised ? SHIFTJIS_CHARSET : DEFAULT_CHARSET));

    EXPECT_EQ("0", Ended()) << "the window did not close by itself";
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ(std::vector<std::int32_t>{0}, Tracks(1));
    EXPECT_TRUE(ImageExists());
}

INSTANTIATE_TEST_SUITE_P(Languages, BurnWindowLanguages, testing::Values("0000040C", "00000411"));

// Esc asks as the configuration says (when to ask is BurnControllerRules'): No goes on
// recording, Yes interrupts the track.
TEST_F(BurnWindowRun, EnterRecordsAndEscCancelsAskingFirst) {
    Install({{"Plugin_ConfirmCancelAfterBurnStarted", "1"}}, "Paced=1\r\nWriteSpeeds=4\r\n"); // the track takes 15 s
    Start("", 60);
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
    EXPECT_EQ(std::make_pair(kRecord, true), DefaultButton());
    Type({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return Tracks(1) == std::vector<std::int32_t>{-8}; }, 30000)) << "Enter recorded nothing";
    EXPECT_EQ(std::make_pair(static_cast<int>(IDCANCEL), true), DefaultButton());
    for (const int answer : {IDNO, IDYES}) {
        Type({VK_ESCAPE});
        MessageBoxSeen seen;
        ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), answer, 10000, &seen)) << answer;
        EXPECT_EQ("Do you want to cancel the recording?", seen.text);
    }
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(-2, Value("BurnResults"));
    EXPECT_EQ(std::vector<std::int32_t>{-2}, Tracks(1));
}

// The window waits for the erased disc to settle, then records.
TEST_F(BurnWindowRun, AFullRewritableDiscIsErasedWhenTheUserAgrees) {
    Install({{kCloseWhenComplete, "0"}}, "Media=CD-RW\r\nContent=audio\r\nClosed=1\r\nPaced=0\r\n");
    Start("");
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
    Type({VK_MENU, 'R'});
    MessageBoxSeen seen;
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDYES, 10000, &seen));
    EXPECT_NE(std::string::npos, seen.text.find("erase it")) << seen.text;
    for (const std::int32_t expected : {-7, -9}) {
        EXPECT_TRUE(WaitFor([&] { return Value("BurnResults") == expected; })) << expected;
    }
    EXPECT_TRUE(WaitFor([&] { return Shown(kStatus) == "Recording complete."; }));
    EXPECT_EQ("&Close", Shown(IDCANCEL));
    EXPECT_EQ(std::make_pair(static_cast<int>(IDCANCEL), true), DefaultButton());
    Type({VK_RETURN});
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(nullptr, FindMessageBox(fennel_->Id()));
    EXPECT_EQ(0, Value("BurnResults"));
    EXPECT_EQ(std::vector<std::int32_t>{0}, Tracks(1));
}

// Retry looks again after a second's pause; Cancel or No leaves the disc as it was.
TEST_F(BurnWindowRun, ARefusedDiscLeavesTheWindowReady) {
    const struct {
        const char* disc;
        std::vector<std::pair<int, const char*>> boxes; // the answer, and a part of the text
    } rows[] = {
        {"Media=CD-R\r\nContent=data\r\n", {{IDCANCEL, "already holds data"}}},
        {"Media=none\r\n", {{IDRETRY, "no disc"}, {IDCANCEL, "no disc"}}},
        {"Media=CD-RW\r\nContent=audio\r\nClosed=1\r\n", {{IDNO, "erase it"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disc);
        FreshDisc();
        Install({}, row.disc);
        Start("");
        ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
        Press(kRecord);
        ULONGLONG answered = 0;
        for (const auto& [answer, text] : row.boxes) {
            MessageBoxSeen seen;
            ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), answer, 10000, &seen)) << seen.text;
            if (answered) {
                EXPECT_GE(GetTickCount64() - answered, 1000u) << "Retry looked again at once";
            }
            answered = GetTickCount64();
            EXPECT_NE(std::string::npos, seen.text.find(text)) << seen.text;
        }
        EXPECT_TRUE(WaitFor([&] { return Enabled(kRecord); })) << "Record stayed disabled";
        EXPECT_EQ(-3, Value("BurnResults"));
        Press(IDCANCEL);
        EXPECT_EQ("0", Ended());
        EXPECT_FALSE(ImageExists());
    }
}

// The ready window describes the run above the track list; in Japanese too, the drive's name
// appears as the system spells it, though the language's code page lacks its letters.
TEST_F(BurnWindowRun, TheReadyWindowNamesTheDriveAsTheSystemSpellsIt) {
    Install({}, "Name=Graveur \xC3\xA9\r\n");
    UserLocale japanese("00000411");
    ASSERT_TRUE(japanese.Set());
    Start("");
    ASSERT_TRUE(WaitFor([&] { return Enabled(kRecord); }));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window_, 1001)));
    EXPECT_NE(std::string::npos, Shown(1001).find("(R:) Graveur \xE9")) << Shown(1001); // in the system's code page
    Press(IDCANCEL);
    EXPECT_EQ("0", Ended());
}

TEST_F(BurnWindowRun, AnEraseThatFailsPartWayRecordsNothing) {
    Install({{kCloseWhenComplete, "1"}},
            "Media=CD-RW\r\nContent=audio\r\nClosed=1\r\nPaced=0\r\nFault.EraseFailAtPercent=50\r\n");
    Start("/E /B");
    MessageBoxSeen seen;
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDCANCEL, 20000, &seen)) << seen.text; // an OK box's one button
    EXPECT_EQ("The disc could not be erased.", seen.text);
    EXPECT_TRUE(WaitFor([&] { return Shown(IDCANCEL) == "&Close"; }));
    // The answered box may take a moment to go; a second one would stay.
    EXPECT_TRUE(WaitFor([&] { return FindMessageBox(fennel_->Id()) == nullptr; }, 5000)) << "a second box";
    EXPECT_EQ(-8, Value("BurnResults"));
    Press(IDCANCEL);
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(-8, Value("BurnResults"));
    EXPECT_FALSE(ImageExists());
}

TEST_F(BurnWindowRun, EveryTrackRefusedCompletesABurnOfNothing) {
    Install({{kCloseWhenComplete, "1"}});
    Launch("/B", 4, {"one.ogg", "two.ogg"});
    EXPECT_EQ("0", Ended()) << "the window did not close by itself";
    EXPECT_EQ(1, Value("BurnResults"));
    EXPECT_EQ((std::vector<std::int32_t>{-7, -7}), Tracks(2));
    EXPECT_FALSE(ImageExists());
}

// A real recorder is preferred to the virtual drive; Esc and Yes stop its track-at-once write
// through the recording API, and the disc is not closed.
TEST_F(BurnWindowRun, EscStopsARealRecordersWrite) {
    ASSERT_TRUE(StandIn::Register());
    StandIn recorder(temp_.Path(), "Media=CD-R\r\nSectorsPerSecond=300\r\n"); // 4x: the tune takes 15 s
    Install({{"Plugin_ConfirmCancelAfterBurnStarted", "1"}, {"Plugin_BurnMethod", "TAO"}});
    Start("/B", 60);
    ASSERT_TRUE(WaitFor([&] { return Tracks(1) == std::vector<std::int32_t>{-8}; }, 30000)) << "nothing recorded";
    Type({VK_ESCAPE});
    ASSERT_TRUE(AnswerMessageBox(fennel_->Id(), IDYES, 10000));
    EXPECT_EQ("0", Ended());
    EXPECT_EQ(-2, Value("BurnResults"));
    EXPECT_EQ(std::vector<std::int32_t>{-2}, Tracks(1));
    const std::vector<std::string> log = recorder.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "cancel"), log.end()) << testing::PrintToString(log);
    EXPECT_EQ(std::find(log.begin(), log.end(), "finalize 1"), log.end()) << "the disc was closed";
    EXPECT_FALSE(ImageExists());
}

} // namespace
