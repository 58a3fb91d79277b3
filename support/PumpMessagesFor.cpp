#include "support/PumpMessagesFor.h"

void PumpMessagesFor(DWORD milliseconds) {
    const ULONGLONG start = GetTickCount64();
    do {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (got != -1) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } else {
            // Sleeps until input arrives or 10 ms have passed.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    } while (GetTickCount64() - start <= milliseconds);
}
