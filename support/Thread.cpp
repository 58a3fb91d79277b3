#include "support/Thread.h"

#include <process.h>

#include <exception>
#include <string>
#include <utility>

namespace {

// Serialises every Thread::Start of the process.
class StartLock {
public:
    StartLock() { InitializeCriticalSection(&cs_); }
    ~StartLock() { DeleteCriticalSection(&cs_); }
    CRITICAL_SECTION* get() { return &cs_; }

private:
    CRITICAL_SECTION cs_;
};

CRITICAL_SECTION* ProcessStartLock() {
    static StartLock lock;
    return lock.get();
}

class Guard {
public:
    explicit Guard(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Guard() { LeaveCriticalSection(cs_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

} // namespace

Thread::Thread() { InitializeCriticalSection(&stateLock_); }

Thread::~Thread() {
    {
        Guard state(&stateLock_);
    }
    DeleteCriticalSection(&stateLock_);
}

bool Thread::StopRequested() { return stop_.load(); }

void Thread::Suspend() {
    Guard state(&stateLock_);
    if (handle_) SuspendThread(handle_.get());
}

void Thread::Continue() {
    Guard state(&stateLock_);
    if (handle_) ResumeThread(handle_.get());
}

DWORD Thread::ThreadId() {
    Guard state(&stateLock_);
    return threadId_;
}

void Thread::Start() {
    Guard start(ProcessStartLock());
    {
        Guard state(&stateLock_);
        if (threadId_ != 0 || handle_) return;
    }
    stop_ = false;
    // Created suspended so that id and handle are stored before the body can run (and end).
    unsigned id = 0;
    UniqueKernelHandle thread(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Thread::ThreadProc, this, CREATE_SUSPENDED, &id)));
    if (!thread) {
        const std::string context =
            "_beginthreadex() filed; GetLastError() returned " + std::to_string(GetLastError());
        throw start_failure("Thread::Start()", context.c_str(), "", 0);
    }
    Guard state(&stateLock_);
    threadId_ = id;
    handle_ = std::move(thread);
    // The body waits for this lock before it can end and close the handle.
    ResumeThread(handle_.get());
}

void Thread::RequestStop() {
    stop_ = true;
    Continue();
}

unsigned __stdcall Thread::ThreadProc(void* arg) {
    if (!arg) return 1;
    static_cast<Thread*>(arg)->RunBody();
    return 1;
}

void Thread::RunBody() noexcept {
    {
        Guard state(&stateLock_);
        threadId_ = GetCurrentThreadId();
    }
    try {
        OnThreadStart();
        if (!StopRequested()) {
            try {
                Run();
            } catch (...) {
                // A body's failure stays on its own thread.
            }
        }
        // Also after a stop before Run: what OnThreadStart set up (a COM apartment) is undone.
        OnThreadEnd();
    } catch (...) {
    }
    // The last touch of this object: the owner may destroy it once id and handle are clear.
    Guard state(&stateLock_);
    handle_.reset();
    threadId_ = 0;
}

void Thread::WaitForThread() noexcept {
    try {
        RequestStop();
        // Waits on a duplicate of the handle: the thread procedure closes the original as it ends.
        UniqueKernelHandle own;
        {
            Guard state(&stateLock_);
            if (!handle_ || handle_.get() == INVALID_HANDLE_VALUE || threadId_ == 0) return;
            if (threadId_ == GetCurrentThreadId()) return; // a thread can't wait for its own end
            if (!DuplicateHandle(GetCurrentProcess(), handle_.get(), GetCurrentProcess(), own.put(), 0, FALSE,
                                 DUPLICATE_SAME_ACCESS)) {
                return;
            }
        }
        DWORD code = 0;
        const bool ended = GetExitCodeThread(own.get(), &code) ? code != STILL_ACTIVE
                                                         : GetLastError() == ERROR_INVALID_HANDLE;
        if (!ended) {
            // Short slices instead of a 0 ms spin; ends once the thread has ended.
            while (WaitForSingleObject(own.get(), 20) == WAIT_TIMEOUT) {
            }
        }
    } catch (...) {
    }
}
