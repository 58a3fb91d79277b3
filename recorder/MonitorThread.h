#pragma once
// MonitorThread: the engine's watcher. Calls a function at a fixed period on its own thread
// (in the multithreaded apartment, since the function raises COM events) until stopped.
// Start and Stop belong to the owner's thread; Stop waits for a running call to end, so the
// owner must not hold a lock that the function takes.
#include <chrono>
#include <functional>
#include <thread>

#include "support/UniqueHandle.h"

class MonitorThread {
public:
    MonitorThread() = default;
    MonitorThread(const MonitorThread&) = delete;
    MonitorThread& operator=(const MonitorThread&) = delete;
    ~MonitorThread() { Stop(); }

    void Start(std::chrono::milliseconds period, std::function<void()> tick);
    void Stop();

private:
    std::thread thread_;
    UniqueKernelHandle stop_;
};
