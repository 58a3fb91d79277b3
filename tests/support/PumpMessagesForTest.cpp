#include "support/PumpMessagesFor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A message-only window that records the messages it receives.
class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &MessageWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FennelPumpTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }
    std::vector<WPARAM> received;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP) {
            auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self) self->received.push_back(wp);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND window_;
};

DWORD WINAPI PostLater(void* window) {
    Sleep(50);
    PostMessageA(static_cast<HWND>(window), WM_APP, 2, 0);
    return 0;
}

void DrainQuit() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(PumpMessagesForTest, DispatchesMessagesPostedBeforeAndDuringTheWait) {
    MessageWindow window;
    ASSERT_NE(nullptr, window.get()) << "GetLastError() = " << GetLastError();
    PostMessageA(window.get(), WM_APP, 1, 0);
    HANDLE poster = CreateThread(nullptr, 0, PostLater, window.get(), 0, nullptr);
    PumpMessagesFor(300);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), window.received);
}

TEST(PumpMessagesForTest, AQuitMessageEndsTheWaitAndStaysForTheOuterLoop) {
    MessageWindow window;
    PostQuitMessage(7);
    PostMessageA(window.get(), WM_APP, 3, 0);
    const ULONGLONG start = GetTickCount64();
    PumpMessagesFor(60000);
    EXPECT_LT(GetTickCount64() - start, 30000u) << "the quit message must end the wait";
    MSG msg;
    // An outer loop still sees the quit message with its code.
    bool sawQuit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            sawQuit = true;
            EXPECT_EQ(7u, msg.wParam);
        }
    }
    EXPECT_TRUE(sawQuit);
    DrainQuit();
}

} // namespace
