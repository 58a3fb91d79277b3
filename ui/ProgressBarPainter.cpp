#include "ui/ProgressBarPainter.h"

#include "support/UniqueHandle.h"

#include <commctrl.h>

void ProgressBarPainter::Attach(HWND bar) { SetWindowSubclass(bar, Procedure, 0, 0); }

LRESULT CALLBACK ProgressBarPainter::Procedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(bar, Procedure, 0);
    if (message != WM_PAINT) return DefSubclassProc(bar, message, wParam, lParam);
    const LRESULT painted = DefSubclassProc(bar, message, wParam, lParam);
    wchar_t text[32] = {};
    if (GetWindowTextW(bar, text, 32) > 0) {
        const UniqueDC dc(bar);
        if (!dc) return painted;
        RECT area{};
        GetClientRect(bar, &area);
        const HGDIOBJ old =
            SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageW(GetParent(bar), WM_GETFONT, 0, 0)));
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc.get(), text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc.get(), old);
    }
    return painted;
}
