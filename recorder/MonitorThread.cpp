#include "recorder/MonitorThread.h"

#include <objbase.h>

void MonitorThread::Start(std::chrono::milliseconds period, std::function<void()> tick) {
    Stop();
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) throw std::bad_alloc();
    HANDLE stop = stop_.get();
    thread_ = std::thread([stop, period, tick = std::move(tick)] {
        HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        while (WaitForSingleObject(stop, static_cast<DWORD>(period.count())) == WAIT_TIMEOUT) {
            try {
                tick();
            } catch (...) {
                OutputDebugStringA("recorder: drive monitor failed once\n");
            }
        }
        if (SUCCEEDED(init)) CoUninitialize();
    });
}

void MonitorThread::Stop() {
    if (stop_) SetEvent(stop_.get());
    if (thread_.joinable()) thread_.join();
    stop_.reset();
}
