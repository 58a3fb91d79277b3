#include "tests/GUI/BoxThread.h"

#include "tests/common/HostKit.h"

#include <chrono>

BoxThread::BoxThread(std::function<int()> show) {
    std::packaged_task<int()> task(std::move(show));
    result_ = task.get_future();
    std::future<DWORD> id = started_.get_future();
    thread_ = std::thread([this, t = std::move(task)]() mutable {
        started_.set_value(GetCurrentThreadId());
        t();
    });
    threadId_ = id.get();
}

BoxThread::~BoxThread() {
    if (result_.valid() && result_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    }
    thread_.join();
}

HWND BoxThread::Find(const char* windowClass, DWORD timeoutMs) {
    HWND found = testsupport::FindProcessWindow(GetCurrentProcessId(), windowClass, "", timeoutMs);
    if (found) {
        // Answered once the box's thread takes messages again, after its set-up.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
    }
    return found;
}

int BoxThread::Wait(DWORD timeoutMs) {
    if (result_.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) return kTimedOut;
    return result_.get();
}
