#pragma once
// Thread: abstract base of every worker thread. A subclass supplies Run (and optionally
// OnThreadStart/OnThreadEnd, which run on the new thread around it). Start, RequestStop and
// WaitForThread may be called from any thread; the object is owned by its creator, who must
// call WaitForThread before destroying it (the destructor neither stops nor waits).
#include "support/ContextException.h"
#include "support/UniqueHandle.h"

#include <windows.h>

#include <atomic>

class Thread {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(start_failure, base_exception);

    Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // True once a stop has been requested since the last Start.
    virtual bool StopRequested();
    // Suspend and resume the running thread; failures of the system calls are ignored.
    virtual void Suspend();
    virtual void Continue();

    // Starts the thread; does nothing while one already runs. Throws start_failure.
    void Start();
    // Sets the stop flag and resumes a suspended thread; does not wait.
    void RequestStop();
    // Sets the stop flag and waits until the thread has ended. Never throws.
    void WaitForThread() noexcept;

    // Id of the running thread, 0 while none runs.
    DWORD ThreadId();

protected:
    virtual void Run() = 0;
    virtual void OnThreadStart() {}
    virtual void OnThreadEnd() {}

private:
    static unsigned __stdcall ThreadProc(void* arg);
    void RunBody() noexcept;

    DWORD threadId_ = 0;
    UniqueKernelHandle handle_; // closed by the thread procedure as it ends
    CRITICAL_SECTION stateLock_; // guards threadId_ and handle_
    std::atomic<bool> stop_{false};
};
