#include "app/MessageLoop.h"

int MessageLoop::Run() {
    MSG msg{};
    bool idle = true;
    int idleCount = 0;
    for (;;) {
        while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) continue;
        if (got == 0) break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (IsIdleMessage(msg)) {
            idle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(msg.wParam);
}

bool MessageLoop::IsIdleMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118: // WM_SYSTIMER
        return false;
    default:
        return true;
    }
}

bool MessageLoop::PreTranslateMessage(MSG* msg) { return ThreadMessageFilters::PreTranslate(msg); }

bool MessageLoop::OnIdle(int) {
    bool again = false;
    for (IdleHandler* handler : idleHandlers_) {
        if (handler->OnIdle()) again = true;
    }
    return again;
}
