#include "ui/DialogBase.h"

#include "support/DebugTrace.h"
#include "ui/UiText.h"

#include <exception>

HWND DialogBase::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
    // Wide dialogs, so that texts of any language keep their characters whatever the
    // system's code page is.
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

namespace {

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

} // namespace

HFONT DialogBase::UseLanguageFont() {
    const auto current = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    const UINT codePage = uitext::LanguageCodePage();
    CHARSETINFO charset{};
    LOGFONTW font{};
    if (!current || !codePage ||
        !TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &charset, TCI_SRCCODEPAGE) ||
        charset.ciCharset == ANSI_CHARSET || GetObjectW(current, sizeof font, &font) != sizeof font ||
        font.lfCharSet == charset.ciCharset) {
        return current;
    }
    // The same face and size in the language's character set: the system then takes a
    // font that has the language's characters.
    font.lfCharSet = static_cast<BYTE>(charset.ciCharset);
    languageFont_.reset(CreateFontIndirectW(&font));
    if (!languageFont_) return current;
    EnumChildWindows(window_, SetChildFont, reinterpret_cast<LPARAM>(languageFont_.get()));
    return languageFont_.get();
}

void DialogBase::SetMessageResult(LONG_PTR result) {
    if (window_) SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
}

INT_PTR CALLBACK DialogBase::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        if (dialog) dialog->window_ = window;
    } else {
        dialog = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!dialog) return FALSE;
    INT_PTR answer = FALSE;
    try {
        answer = dialog->Dispatch(message, wParam, lParam);
    } catch (const std::exception& e) {
        DebugTrace("DialogBase: message 0x%04X: %s\n", message, e.what());
    } catch (...) {
        DebugTrace("DialogBase: message 0x%04X: unexpected exception\n", message);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->window_ = nullptr;
    }
    return answer;
}

INT_PTR DialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        return header && OnNotify(static_cast<int>(wParam), *header);
    }
    case WM_PAINT:
        return OnPaint();
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_QUERYENDSESSION: {
        bool allow = true;
        if (!OnQueryEndSession(allow)) return FALSE;
        SetMessageResult(allow ? TRUE : FALSE);
        return TRUE;
    }
    case WM_ENDSESSION:
        SetMessageResult(0);
        return TRUE;
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam));
    default:
        if (message >= WM_USER && message < WM_APP + 0x4000) return OnUserMessage(message, wParam, lParam);
        return OnOtherMessage(message, wParam, lParam);
    }
}
