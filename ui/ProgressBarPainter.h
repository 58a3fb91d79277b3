#pragma once
// ProgressBarPainter: makes a progress bar show its percentage (its window text) centred on
// itself, in its parent's font, after the bar has painted. Subclasses the bar, which drops
// the subclass itself as it is destroyed; no state. Used on the bar's thread.
#include <windows.h>

class ProgressBarPainter {
public:
    static void Attach(HWND bar);

private:
    static LRESULT CALLBACK Procedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
};
