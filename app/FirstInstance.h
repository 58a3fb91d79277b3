#pragma once
// FirstInstance: the single-instance sentinel, the named semaphore "fennel sentinel". True
// when this process created it; held until Close() or destruction. Main thread only.
#include "support/UniqueHandle.h"

#include <windows.h>

class FirstInstance {
public:
    static constexpr const char* kName = "fennel sentinel";

    FirstInstance();

    // True when this process created the sentinel (it did not exist before).
    explicit operator bool() const { return handle_ && !alreadyExisted_; }
    // True when the system refused the sentinel; Error() says why.
    bool Failed() const { return !handle_; }
    DWORD Error() const { return error_; }

    void Close() { handle_.reset(); }

private:
    UniqueKernelHandle handle_;
    bool alreadyExisted_ = false;
    DWORD error_ = 0;
};
