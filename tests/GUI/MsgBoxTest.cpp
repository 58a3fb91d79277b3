// The "MsgBox" window shown on a worker thread: buttons, focus, answers, the Escape and
// Close rules, the owner, and the layout of texts of every length.
#include "lib/GUI/MsgBox.h"
#include "support/UniqueHandle.h"
#include "tests/GUI/BoxThread.h"
#include "tests/common/HostKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<string_and_id> kOk{{"&OK", 2}};
const std::vector<string_and_id> kYesNo{{"&Yes", 6}, {"&No", 7}};
const std::vector<string_and_id> kOkCancelHelp{{"&OK", 1}, {"&Cancel", 2}, {"&Help", 9}};

std::vector<std::pair<int, std::string>> Buttons(HWND box) {
    std::vector<std::pair<int, std::string>> buttons;
    for (const auto& c : testsupport::ControlTexts(box)) {
        if (_stricmp(c.windowClass.c_str(), "Button") == 0) buttons.emplace_back(c.id, c.text);
    }
    std::sort(buttons.begin(), buttons.end(), [box](const auto& a, const auto& b) {
        RECT ra, rb;
        GetWindowRect(GetDlgItem(box, a.first), &ra), GetWindowRect(GetDlgItem(box, b.first), &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return buttons;
}

RECT ChildRect(HWND box, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text visible unless it scrolls; all inside 640 x 480; buttons below it and apart.
void ExpectSoundLayout(HWND box, bool scrolls) {
    RECT client, both;
    GetClientRect(box, &client);
    EXPECT_LE(client.right, 640);
    EXPECT_LE(client.bottom, 480);
    const auto inside = [&](const RECT& r) { return IntersectRect(&both, &r, &client) && EqualRect(&both, &r); };
    HWND edit = GetDlgItem(box, 0xFFFF);
    const RECT text = ChildRect(box, edit);
    EXPECT_TRUE(inside(text));
    EXPECT_EQ((GetWindowLongW(edit, GWL_STYLE) & WS_VSCROLL) != 0, scrolls);
    const UniqueDC dc(edit);
    SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    RECT editClient;
    GetClientRect(edit, &editClient);
    const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    EXPECT_EQ(lines * tm.tmHeight > editClient.bottom, scrolls) << lines << " lines";

    std::vector<RECT> placed;
    for (const auto& [id, caption] : Buttons(box)) {
        const RECT r = ChildRect(box, GetDlgItem(box, id));
        EXPECT_TRUE(inside(r)) << caption;
        EXPECT_GE(r.top, text.bottom) << caption;
        for (const RECT& other : placed) EXPECT_FALSE(IntersectRect(&both, &r, &other)) << caption;
        placed.push_back(r);
    }
}

} // namespace

TEST(MsgBoxWindow, ButtonsFocusDefaultAnswersAndTheCloseRules) {
    enum Kind { kPress, kEnter, kEscape, kPostClose, kSendClose, kSystemClose, kHelpKey };
    struct Step { Kind kind; int id; };
    struct Case { const char* name; std::vector<string_and_id> buttons; int defaultId; std::vector<Step> steps; int result; bool closable; };
    const int none = MsgBox::kNoDefault;
    const Case cases[] = {
        {"ok by system close", kOk, none, {{kSystemClose, 0}}, 2, true},
        {"yes/no ignores escape", kYesNo, none, {{kEscape, 0}, {kPress, 7}}, 7, false},
        {"yes/no ignores close", kYesNo, none, {{kPostClose, 0}, {kSendClose, 0}, {kSystemClose, 0}, {kPress, 6}}, 6, false},
        {"enter presses the first without a default", kYesNo, none, {{kEnter, 0}}, 6, false},
        {"enter presses the default no", kYesNo, 7, {{kEnter, 0}}, 7, false},
        {"help leaves the box open", kOkCancelHelp, none, {{kPress, 9}, {kHelpKey, 0}, {kPress, 1}}, 1, true},
        {"escape is cancel", kOkCancelHelp, none, {{kEscape, 0}}, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxThread thread([&] { return MsgBox::Show(nullptr, "Question?", "Caption", c.buttons, c.defaultId, nullptr); });
        HWND box = thread.Find();
        ASSERT_NE(box, nullptr);
        std::vector<std::pair<int, std::string>> expected;
        for (const auto& b : c.buttons) expected.emplace_back(b.id, b.text);
        EXPECT_EQ(Buttons(box), expected);
        const UINT closeItem = GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND);
        EXPECT_EQ((closeItem & (MF_GRAYED | MF_DISABLED)) == 0, c.closable);
        const int focused = c.defaultId == none ? c.buttons.front().id : c.defaultId;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetGUIThreadInfo(thread.ThreadId(), &info)) << GetLastError();
        EXPECT_EQ(GetDlgCtrlID(info.hwndFocus), focused);
        EXPECT_EQ(LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)), focused);
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(box, focused), GWL_STYLE) & BS_DEFPUSHBUTTON);
        for (const Step& s : c.steps) {
            switch (s.kind) {
            case kPress: EXPECT_TRUE(testsupport::PressButton(box, s.id)); break;
            case kEnter: PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_RETURN, 0); break;
            case kEscape: PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); break;
            case kPostClose: PostMessageW(box, WM_CLOSE, 0, 0); break;
            case kSendClose: SendMessageW(box, WM_CLOSE, 0, 0); break;
            case kSystemClose: SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case kHelpKey: PostMessageW(box, WM_KEYDOWN, VK_F1, 0), PostMessageW(box, WM_CHAR, 'p', 0); break;
            }
        }
        EXPECT_EQ(thread.Wait(), c.result);
        EXPECT_FALSE(IsWindow(box));
    }
}

TEST(MsgBoxWindow, OwnerIsTheTopLevelWindowAndIsDisabledMeanwhile) {
    HWND owner = nullptr;
    BoxThread thread([&] {
        const UniqueWindow top(CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                               300, 200, nullptr, nullptr, nullptr, nullptr));
        HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top.get(),
                                     nullptr, nullptr, nullptr);
        owner = top.get();
        const int result = MsgBox::Show(child, "Text", "Caption", kOk, 2, nullptr);
        return IsWindowEnabled(top.get()) ? result : -1;
    });
    HWND box = thread.Find();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowEnabled(owner));
    testsupport::PressButton(box, 2);
    EXPECT_EQ(thread.Wait(), 2);
}

TEST(MsgBoxWindow, TextsAndLayout) {
    std::string longLine;
    for (int i = 0; i < 100; ++i) longLine += "lengthy words ";
    std::string veryLong;
    for (int i = 0; i < 120; ++i) veryLong += "Line " + std::to_string(i) + " of a text taller than the screen allows\n";
    std::vector<string_and_id> manyWide;
    for (int i = 0; i < 7; ++i) manyWide.push_back({"A rather long button caption " + std::to_string(i), 100 + i});

    struct Case { const char* name; std::string text; std::vector<string_and_id> buttons; bool icon; std::string shown; bool scrolls; };
    const Case cases[] = {
        {"line feeds with and without carriage return", "L1\nL2\r\nL3", kOk, false, "L1\r\nL2\r\nL3", false},
        {"icon", "With an icon", kYesNo, true, "With an icon", false},
        {"long line", longLine, kOkCancelHelp, false, longLine, false},
        {"very long text", veryLong, kOk, true, "", true},
        {"many wide buttons", "Pick one", manyWide, false, "Pick one", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HICON icon = c.icon ? LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_QUESTION)) : nullptr;
        BoxThread thread([&] { return MsgBox::Show(nullptr, c.text, "Cap", c.buttons, MsgBox::kNoDefault, icon); });
        HWND box = thread.Find();
        ASSERT_NE(box, nullptr);
        HWND edit = GetDlgItem(box, 0xFFFF);
        if (!c.shown.empty()) { EXPECT_EQ(testsupport::WindowText(edit), c.shown); }
        ExpectSoundLayout(box, c.scrolls);
        const MsgBox::Units u = MsgBox::LayoutUnits();
        if (c.icon) { EXPECT_GE(ChildRect(box, edit).left, u.hMargin + GetSystemMetrics(SM_CXICON) + u.vMargin); }
        if (c.text == longLine) { // wrapped into a box between 4:3 and 1.6:1
            RECT client;
            GetClientRect(box, &client);
            EXPECT_GE(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 2);
            EXPECT_TRUE(3 * client.right >= 4 * client.bottom && 5 * client.right < 8 * client.bottom)
                << client.right << " x " << client.bottom;
        }
        testsupport::PressButton(box, c.buttons.front().id);
        EXPECT_EQ(thread.Wait(), c.buttons.front().id);
    }
}
