#include "support/PumpMessagesFor.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<WPARAM> received; // the WM_APP messages the test window got, in order

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) received.push_back(wp);
    return msg == WM_APP ? 0 : DefWindowProcA(hwnd, msg, wp, lp);
}

// Messages posted before and during the wait are dispatched.
TEST(PumpMessagesForTest, DispatchesUntilTheTimeOrAQuitMessage) {
    const WNDCLASSA wc{0, RecordingProc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "FennelPumpTestWindow"};
    RegisterClassA(&wc);
    const UniqueWindow window(
        CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(window) << "GetLastError() = " << GetLastError();
    PostMessageA(window.get(), WM_APP, 1, 0);
    std::thread poster([&] {
        Sleep(50);
        PostMessageA(window.get(), WM_APP, 2, 0);
    });
    PumpMessagesFor(300);
    poster.join();
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), received);

    // After a quit message nothing more is dispatched, every later wait still lasts its time
    // and the outer loop sees the quit message.
    PostQuitMessage(7);
    PostMessageA(window.get(), WM_APP, 3, 0); // ahead of the quit message, as posted messages are
    for (int wait = 0; wait < 2; ++wait) {
        const ULONGLONG start = GetTickCount64();
        PumpMessagesFor(200);
        EXPECT_GE(GetTickCount64() - start, 200u) << "wait " << wait << " ended early";
    }
    EXPECT_EQ((std::vector<WPARAM>{1, 2, 3}), received);
    MSG msg;
    WPARAM quitCode = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) quitCode = msg.wParam;
    EXPECT_EQ(7u, quitCode) << "an outer loop still sees the quit message with its code";
}

} // namespace
