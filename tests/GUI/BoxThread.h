#pragma once
// Test support for message boxes: shows a box on a worker thread (the box runs its own
// modal loop there) and finds its window, so the test thread can read and press it.
#include <windows.h>

#include <functional>
#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class BoxThread {
public:
    // show runs on the worker thread and answers the box's result.
    explicit BoxThread(std::function<int()> show);
    // Ends a box that is still open (its loop gets WM_QUIT) and joins the thread.
    ~BoxThread();
    BoxThread(const BoxThread&) = delete;
    BoxThread& operator=(const BoxThread&) = delete;

    // The visible top-level window of that class on the worker thread, once the box waits
    // for input; null after 10 s.
    HWND Find(const wchar_t* windowClass = L"MsgBox");
    // The box's result; kTimedOut when the box did not end within 10 s.
    int Wait();
    DWORD ThreadId() const { return threadId_; }

    static constexpr int kTimedOut = -12345;

private:
    std::promise<DWORD> started_;
    std::future<int> result_;
    std::thread thread_;
    DWORD threadId_ = 0;
};

std::string TextOf(HWND window);
std::wstring WideText(HWND window);
// The window's buttons (identifier, caption) in reading order.
std::vector<std::pair<int, std::wstring>> ButtonTexts(HWND window);
// The window's picture (frame included) as a 32-bit BMP file; false when it can't be taken.
bool SaveWindowBmp(HWND window, const std::string& path);
