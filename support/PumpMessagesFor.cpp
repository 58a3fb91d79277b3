#include "support/PumpMessagesFor.h"

#include "support/MessageFilter.h"

#include <optional>

void PumpMessagesFor(DWORD milliseconds) {
    const ULONGLONG start = GetTickCount64();
    std::optional<WPARAM> quit;
    for (;;) {
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed > milliseconds) break;
        const auto left = static_cast<DWORD>(milliseconds - elapsed + 1);
        MSG msg;
        if (quit) {
            // Sleeps out the time; what other threads send is still answered.
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_SENDMESSAGE) == WAIT_OBJECT_0)
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = msg.wParam;
            } else if (!ThreadMessageFilters::PreTranslate(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } else {
            // Sleeps until input arrives or 10 ms have passed.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? left : 10, QS_ALLINPUT);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
}
