#include "ui/DialogBase.h"

#include "support/DebugTrace.h"

#include <exception>

HWND DialogBase::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
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
    default:
        if (message >= WM_USER && message < WM_APP + 0x4000) return OnUserMessage(message, wParam, lParam);
        return OnOtherMessage(message, wParam, lParam);
    }
}
