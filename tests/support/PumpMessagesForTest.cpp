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

// Messages posted before and during the wait are dispatched; a quit message ends the wait
// and stays in the queue for the outer loop.
TEST(PumpMessagesForTest, DispatchesUntilTheTimeOrAQuitMessage) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FennelPumpTestWindow";
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

    PostQuitMessage(7);
    PostMessageA(window.get(), WM_APP, 3, 0);
    const ULONGLONG start = GetTickCount64();
    PumpMessagesFor(60000);
    EXPECT_LT(GetTickCount64() - start, 30000u) << "the quit message must end the wait";
    MSG msg;
    WPARAM quitCode = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quitCode = msg.wParam;
    }
    EXPECT_EQ(7u, quitCode) << "an outer loop still sees the quit message with its code";
}

} // namespace
