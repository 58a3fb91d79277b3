#pragma once
// DialogBase: the house base of every dialog. One static procedure stores the object's
// address at WM_INITDIALOG, decodes each message's parameters once and calls the typed
// handler; nothing thrown by a handler leaves the procedure (it is traced and the message
// counts as not handled). Used on the thread that created the dialog; the object must
// outlive its window.
#include <windows.h>

#include <commctrl.h>

#include "support/UniqueHandle.h"

class DialogBase {
public:
    DialogBase() = default;
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // The dialog's window; null before WM_INITDIALOG and after WM_NCDESTROY.
    HWND Handle() const { return window_; }

    // A modeless dialog from the module's template; null when it can't be created.
    HWND CreateModeless(HINSTANCE instance, int templateId, HWND owner);
    // A modal dialog from the module's template; its end code, or -1 when it can't be shown.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);

    // The procedure every dialog of the program is created with.
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Each handler answers true when it handled the message. OnInitDialog answers whether
    // the system should set the focus.
    virtual bool OnInitDialog() { return true; }
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(int /*id*/, const NMHDR& /*header*/) { return false; }
    virtual bool OnPaint() { return false; }
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    // allow: whether the user's session may end.
    virtual bool OnQueryEndSession(bool& /*allow*/) { return false; }
    // A timer of the dialog's (SetTimer on its window without a procedure).
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual bool OnUserMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }
    // Any other message; the default is not handled.
    virtual bool OnOtherMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

    // The result a handled message answers besides TRUE (DWLP_MSGRESULT).
    void SetMessageResult(LONG_PTR result);
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    // Gives every control the dialog's font in the language's character set when the
    // template's font has another (a Japanese text on a Western system, say); answers the
    // font the controls now use.
    HFONT UseLanguageFont();

private:
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    UniqueFont languageFont_;
};
