#pragma once
// Mutex: a recursive lock over a system mutex object, unnamed (private to the process) or
// named, and then shared by every process that opens the same name. Ownership is per
// thread; Lock and Unlock may be called from any thread. MutexLock holds it for a scope.
#include "support/DebugTrace.h"
#include "support/GetOpenSecurityAttributes.h"
#include "support/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>

class Mutex {
public:
    struct lock_failure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    struct unlock_failure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // A null or empty name makes an unnamed mutex; otherwise the system object is called
    // name + "_mutex". When the system refuses the mutex the process ends (exit code 3).
    explicit Mutex(const char* name = nullptr) {
        std::string objectName;
        if (name && *name) objectName = std::string(name) + "_mutex";
        handle_.reset(CreateMutexA(GetOpenSecurityAttributes(), FALSE,
                                   objectName.empty() ? nullptr : objectName.c_str()));
        if (!handle_) {
            DebugTrace("CreateMutexA() returned error %ld", static_cast<long>(GetLastError()));
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    explicit Mutex(const std::string& name) : Mutex(name.c_str()) {}
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Releases one level held by the calling thread, then closes the handle.
    virtual ~Mutex() {
        try {
            Unlock();
        } catch (...) {
        }
    }

    void Lock() {
        const DWORD self = GetCurrentThreadId();
        if (owner_.load() == self) {
            ++count_;
            return;
        }
        // Every WAIT_OBJECT_0 or WAIT_ABANDONED is one acquisition at system level; only one
        // is kept, so that one Unlock per Lock frees the mutex for other processes again.
        int levels = 0;
        DWORD result = WaitForSingleObject(handle_.get(), 0);
        DWORD error = result == WAIT_FAILED ? GetLastError() : 0;
        if (result == WAIT_ABANDONED) ++levels;
        for (int attempt = 1; result != WAIT_OBJECT_0 && attempt < 10; ++attempt) {
            result = WaitForSingleObject(handle_.get(), INFINITE);
            error = result == WAIT_FAILED ? GetLastError() : 0;
            if (result == WAIT_ABANDONED) ++levels;
        }
        if (result != WAIT_OBJECT_0) {
            for (; levels > 0; --levels) ReleaseMutex(handle_.get());
            throw lock_failure(FailureText("Mutex::Lock()", __LINE__, "lock_failure", WaitDetail(result, error)));
        }
        for (; levels > 0; --levels) ReleaseMutex(handle_.get());
        owner_ = self;
        count_ = 1;
    }

    void Unlock() {
        if (owner_.load() != GetCurrentThreadId()) return;
        if (--count_ > 0) return;
        owner_ = kNoOwner;
        if (!ReleaseMutex(handle_.get())) {
            throw unlock_failure(FailureText("Mutex::Unlock()", __LINE__, "unlock_failure", "ReleaseMutex returned false."));
        }
    }

    HANDLE NativeHandle() const noexcept { return handle_.get(); }

private:
    static constexpr DWORD kNoOwner = 0xFFFFFFFF;

    static std::string WaitDetail(DWORD result, DWORD error) {
        if (result == WAIT_ABANDONED) return "WaitForSingleObject returned WAIT_ABANDONED";
        if (result == WAIT_TIMEOUT) return "WaitForSingleObject returned WAIT_TIMEOUT";
        return "WaitForSingleObject returned WAIT_FAILED error " + std::to_string(error);
    }

    static std::string FailureText(const char* where, int line, const char* name, const std::string& detail) {
        return std::string(where) + "[" + __FILE__ + ", " + std::to_string(line) + "] threw exception " + name +
               ", with context: Error: " + detail;
    }

    UniqueKernelHandle handle_;
    std::atomic<DWORD> owner_{kNoOwner}; // compared by every locking thread, written by the owner
    long count_ = 0;                     // only touched by the owner
};

// Holds a Mutex for the lifetime of the scope.
class MutexLock {
public:
    explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~MutexLock() {
        try {
            mutex_.Unlock();
        } catch (...) {
        }
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};
