#pragma once
// MsgBox: the program's own message box, window class "MsgBox". Shows a text, a caption,
// an optional icon and any list of buttons, laid out for the font and the text's length,
// and answers the identifier of the button pressed. Runs modally on the calling thread
// with its own message loop (any thread may show one); the owner's top-level window is
// disabled meanwhile. Texts are byte strings in the given code page.
#include "support/ContextException.h"

#include <windows.h>

#include <string>
#include <vector>

struct string_and_id {
    std::string text; // caption; "&" marks the mnemonic
    int id;           // answered when the button is pressed
};

class MsgBox {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(create_failed, base_exception);
    FENNEL_EXCEPTION(register_failed, base_exception);

    // No button is the default when defaultId matches none; the first one gets the focus.
    static constexpr int kNoDefault = -999;
    static constexpr int kHelpId = 9;
    static constexpr int kCancelId = 2;

    // Shows the box and answers the identifier of the button pressed. A null caption shows
    // "Error". Throws create_failed or register_failed.
    static int Show(HWND owner, const std::string& text, const char* caption,
                    const std::vector<string_and_id>& buttons, int defaultId, HICON icon,
                    UINT codePage = CP_ACP);

    // The layout lengths in pixels, fixed by the first box's font.
    struct Units {
        int hMargin, vMargin, hGap, vGap, minButtonWidth, minButtonHeight;
    };
    static Units LayoutUnits();

private:
    friend void RegisterMsgBoxWindowClass();

    class TextMeasure; // the box's device context with its font selected
    struct Layout;     // the lengths of one box

    MsgBox(HICON icon, const std::vector<string_and_id>& buttons);

    // The steps of Show: the window, the layout of buttons, then icon and text, the text
    // control, the box's place, the buttons (answers the one with the focus), the loop.
    HWND CreateBox(HWND top, HFONT font);
    static void LayOutButtons(Layout& layout, const TextMeasure& measure, const std::vector<std::wstring>& captions);
    void LayOutText(Layout& layout, const TextMeasure& measure, const std::wstring& text);
    static void CreateText(HWND box, const Layout& layout, const std::wstring& text, HFONT font);
    static void PlaceBox(HWND box, HWND top, const Layout& layout);
    static HWND CreateButtons(HWND box, const Layout& layout, const std::vector<string_and_id>& buttons,
                              const std::vector<std::wstring>& captions, HFONT font, int defaultId);
    int Run(HWND box, HWND top);

    static LRESULT CALLBACK WindowProcEntry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(HWND hwnd, int id);
    void RequestHelp(HWND hwnd) const;

    HICON icon_;
    bool hasHelp_ = false;
    bool canClose_ = true;
    std::vector<int> ids_;
    POINT iconAt_{0, 0}; // client coordinates
    int result_ = -1;
};

// Registers the window class "MsgBox" once per process (only when it is absent).
// Throws MsgBox::register_failed.
void RegisterMsgBoxWindowClass();
