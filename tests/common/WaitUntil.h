#pragma once
// WaitUntil: keeps the calling thread's messages flowing until a condition holds or the
// time is up; true when it held. For tests that wait for another thread or process to act.
#include "support/PumpMessagesFor.h"

#include <windows.h>

#include <functional>

namespace testsupport {

inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        PumpMessagesFor(10);
    }
}

} // namespace testsupport
