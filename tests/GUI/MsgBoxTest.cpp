// The "MsgBox" window shown on a worker thread: its buttons and answers, the Escape and
// Close rules, focus and default button, the owner, and the layout of short, multi-line,
// long and very long texts.
#include "lib/GUI/MsgBox.h"
#include "tests/GUI/BoxThread.h"
#include "tests/common/ProcessWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<string_and_id> kOk{{"&OK", 2}};
const std::vector<string_and_id> kYesNo{{"&Yes", 6}, {"&No", 7}};
const std::vector<string_and_id> kOkCancelHelp{{"&OK", 1}, {"&Cancel", 2}, {"&Help", 9}};

RECT ChildRect(HWND box, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    RECT u;
    UnionRect(&u, &inner, &outer);
    return EqualRect(&u, &outer) != FALSE;
}

// What every box shows: the text fully visible unless it scrolls, the controls inside the
// client area, the buttons below the text and apart from each other, at most 640 x 480.
void ExpectSoundLayout(HWND box, bool scrolls) {
    RECT client, editClient, overlap;
    GetClientRect(box, &client);
    HWND edit = GetDlgItem(box, 0xFFFF);
    ASSERT_NE(edit, nullptr);
    const RECT text = ChildRect(box, edit);
    EXPECT_TRUE(Inside(text, client));
    EXPECT_EQ((GetWindowLongW(edit, GWL_STYLE) & WS_VSCROLL) != 0, scrolls);
    GetClientRect(edit, &editClient);
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    EXPECT_EQ(lines * tm.tmHeight > editClient.bottom, scrolls) << lines << " lines";
    std::vector<RECT> placed;
    for (const auto& [id, caption] : ButtonTexts(box)) {
        const RECT r = ChildRect(box, GetDlgItem(box, id));
        EXPECT_TRUE(Inside(r, client)) << id;
        EXPECT_GE(r.top, text.bottom) << id;
        for (const RECT& other : placed) EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << id;
        placed.push_back(r);
    }
    EXPECT_LE(client.right, 640);
    EXPECT_LE(client.bottom, 480);
}

} // namespace

TEST(MsgBoxWindow, ButtonsAnswerAndTheCloseRules) {
    enum Kind { kPress, kEscape, kPostClose, kSystemClose, kHelpKey };
    struct Step {
        Kind kind;
        int id;
    };
    struct Case {
        const char* name;
        std::vector<string_and_id> buttons;
        std::vector<Step> steps;
        int result;
        bool closeEnabled;
    };
    const Case cases[] = {
        {"ok pressed", kOk, {{kPress, 2}}, 2, true},
        {"ok by escape", kOk, {{kEscape, 0}}, 2, true},
        {"ok by close", kOk, {{kPostClose, 0}}, 2, true},
        {"ok by system close", kOk, {{kSystemClose, 0}}, 2, true},
        {"yes/no ignores escape and close", kYesNo, {{kEscape, 0}, {kPostClose, 0}, {kSystemClose, 0}, {kPress, 6}}, 6, false},
        {"help leaves the box open", kOkCancelHelp, {{kPress, 9}, {kHelpKey, 0}, {kPress, 1}}, 1, true},
        {"escape is cancel", kOkCancelHelp, {{kEscape, 0}}, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxThread thread([&] { return MsgBox::Show(nullptr, "Question?", "Caption", c.buttons, MsgBox::kNoDefault, nullptr); });
        HWND box = thread.Find();
        ASSERT_NE(box, nullptr);
        std::vector<std::pair<int, std::wstring>> expected;
        for (const auto& b : c.buttons) expected.emplace_back(b.id, std::wstring(b.text.begin(), b.text.end()));
        EXPECT_EQ(ButtonTexts(box), expected);
        EXPECT_EQ(TextOf(box), "Caption");
        const UINT closeState = GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND);
        EXPECT_EQ((closeState & (MF_GRAYED | MF_DISABLED)) == 0, c.closeEnabled);
        for (const Step& s : c.steps) {
            switch (s.kind) {
            case kPress: EXPECT_TRUE(testsupport::PressButton(box, s.id)); break;
            case kEscape: PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); break;
            case kPostClose: PostMessageW(box, WM_CLOSE, 0, 0); break;
            case kSystemClose: SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case kHelpKey:
                PostMessageW(box, WM_KEYDOWN, VK_F1, 0);
                PostMessageW(box, WM_CHAR, 'p', 0);
                break;
            }
        }
        EXPECT_EQ(thread.Wait(), c.result);
        EXPECT_FALSE(IsWindow(box));
    }
}

TEST(MsgBoxWindow, FocusAndDefaultButton) {
    for (const auto& [defaultId, focused] : {std::pair{7, 7}, std::pair{MsgBox::kNoDefault, 6}}) {
        BoxThread thread([&, d = defaultId] { return MsgBox::Show(nullptr, "Sure?", "Caption", kYesNo, d, nullptr); });
        HWND box = thread.Find();
        ASSERT_NE(box, nullptr);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetGUIThreadInfo(thread.ThreadId(), &info)) << GetLastError();
        EXPECT_EQ(GetDlgCtrlID(info.hwndFocus), focused) << "default " << defaultId;
        EXPECT_EQ(LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)), focused);
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(box, focused), GWL_STYLE) & BS_DEFPUSHBUTTON);
        PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_RETURN, 0); // Enter presses the focused default
        EXPECT_EQ(thread.Wait(), focused);
    }
}

TEST(MsgBoxWindow, OwnerIsTheTopLevelWindowAndIsDisabledMeanwhile) {
    HWND owner = nullptr;
    BoxThread thread([&] {
        HWND top = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
        HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top, nullptr,
                                     nullptr, nullptr);
        owner = top;
        const int result = MsgBox::Show(child, "Text", "Caption", kOk, 2, nullptr);
        const bool enabledAfter = IsWindowEnabled(top) != FALSE;
        DestroyWindow(top);
        return enabledAfter ? result : -1;
    });
    HWND box = thread.Find();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowEnabled(owner));
    testsupport::PressButton(box, 2);
    EXPECT_EQ(thread.Wait(), 2);
}

TEST(MsgBoxWindow, TextsAndLayout) {
    std::string longLine, veryLong;
    for (int i = 0; i < 100; ++i) longLine += "lengthy words ";
    for (int i = 0; i < 120; ++i) veryLong += "Line " + std::to_string(i) + " of a text taller than the screen allows\n";
    std::vector<string_and_id> manyWide;
    for (int i = 0; i < 7; ++i) manyWide.push_back({"A rather long button caption " + std::to_string(i), 100 + i});

    struct Case {
        const char* name;
        std::string text;
        const char* caption;
        std::vector<string_and_id> buttons;
        bool icon;
        std::string shown; // empty: don't check
        bool scrolls;
    };
    const Case cases[] = {
        {"line feed", "Line1\nLine2", "Cap", kOk, false, "Line1\r\nLine2", false},
        {"carriage return and line feed", "Line1\r\nLine2", "Cap", kOk, false, "Line1\r\nLine2", false},
        {"null caption", "x", nullptr, kOk, false, "x", false},
        {"icon", "With an icon", "Cap", kYesNo, true, "With an icon", false},
        {"long line", longLine, "Cap", kOkCancelHelp, false, longLine, false},
        {"very long text", veryLong, "Cap", kOk, true, "", true},
        {"many wide buttons", "Pick one", "Cap", manyWide, false, "Pick one", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HICON icon = c.icon ? LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_QUESTION)) : nullptr;
        BoxThread thread([&] { return MsgBox::Show(nullptr, c.text, c.caption, c.buttons, MsgBox::kNoDefault, icon); });
        HWND box = thread.Find();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(TextOf(box), c.caption ? c.caption : "Error");
        HWND edit = GetDlgItem(box, 0xFFFF);
        if (!c.shown.empty()) {
            EXPECT_EQ(TextOf(edit), c.shown);
        }
        ExpectSoundLayout(box, c.scrolls);
        if (c.icon) {
            const MsgBox::Units u = MsgBox::LayoutUnits();
            EXPECT_GE(ChildRect(box, edit).left, u.hMargin + GetSystemMetrics(SM_CXICON) + u.vMargin);
        }
        if (c.text == longLine) { // wrapped to about 4:3
            RECT client;
            GetClientRect(box, &client);
            const double ratio = static_cast<double>(client.right) / client.bottom;
            EXPECT_GE(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 2);
            EXPECT_GE(ratio, 4.0 / 3.0);
            EXPECT_LT(ratio, 1.6) << client.right << " x " << client.bottom;
        }
        testsupport::PressButton(box, c.buttons.front().id);
        EXPECT_EQ(thread.Wait(), c.buttons.front().id);
    }
}
