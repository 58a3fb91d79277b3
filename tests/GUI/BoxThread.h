#pragma once
// Test support for message boxes: shows a box on a worker thread (the box runs its own
// modal loop there) and finds its window, so the test thread can read and press it.
#include <windows.h>

#include <functional>
#include <future>
#include <thread>

class BoxThread {
public:
    // show runs on the worker thread and answers the box's result.
    explicit BoxThread(std::function<int()> show);
    // Ends a box that is still open (its loop gets WM_QUIT) and joins the thread.
    ~BoxThread();
    BoxThread(const BoxThread&) = delete;
    BoxThread& operator=(const BoxThread&) = delete;

    // The process's visible window of that class, once it waits for input; null after timeoutMs.
    HWND Find(const char* windowClass = "MsgBox", DWORD timeoutMs = 10000);
    // The box's result; kTimedOut when the box did not end within timeoutMs.
    int Wait(DWORD timeoutMs = 10000);
    DWORD ThreadId() const { return threadId_; }

    static constexpr int kTimedOut = -12345;

private:
    std::promise<DWORD> started_;
    std::future<int> result_;
    std::thread thread_;
    DWORD threadId_ = 0;
};
