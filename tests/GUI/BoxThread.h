#pragma once
// Test support for message boxes: shows a box on a worker thread (the box runs its own
// modal loop there) and finds its window, so the test thread can read and press it.
#include "tests/common/HostKit.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

class BoxThread {
public:
    // show runs on the worker thread and answers the box's result.
    explicit BoxThread(std::function<int()> show) {
        std::packaged_task<int()> task(std::move(show));
        result_ = task.get_future();
        std::future<DWORD> id = started_.get_future();
        thread_ = std::thread([this, t = std::move(task)]() mutable {
            started_.set_value(GetCurrentThreadId());
            t();
        });
        threadId_ = id.get();
    }
    // Ends a box that is still open (its loop gets WM_QUIT) and joins the thread.
    ~BoxThread() {
        if (result_.valid() && result_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    // The process's visible window of that class, once it waits for input (answered once the
    // box's thread takes messages again, after its set-up); null after timeoutMs.
    HWND Find(const char* windowClass = "MsgBox", DWORD timeoutMs = 10000) {
        HWND found = testsupport::FindProcessWindow(GetCurrentProcessId(), windowClass, "", timeoutMs);
        DWORD_PTR ignored = 0;
        if (found) SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
        return found;
    }
    // The box's result; kTimedOut when the box did not end within timeoutMs.
    int Wait(DWORD timeoutMs = 10000) {
        return result_.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready ? result_.get() : kTimedOut;
    }
    DWORD ThreadId() const { return threadId_; }

    static constexpr int kTimedOut = -12345;

private:
    std::promise<DWORD> started_;
    std::future<int> result_;
    std::thread thread_;
    DWORD threadId_ = 0;
};
