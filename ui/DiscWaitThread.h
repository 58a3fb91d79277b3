#pragma once
// DiscWaitThread: the burn window's worker that erases the disc of the device it is handed
// (when asked), then reads the media state until the device reports the disc ready, and
// posts the window its end message with the outcome (BurnWindowPartner::DiscWait), or kStopped
// when it was asked to stop (also before it began). Works in the multithreaded apartment, like the engine's own
// worker. Started and waited for by the window, which owns it; the engine client that owns
// the device outlives it.
#include "support/Thread.h"
#include "ui/BurnWindowPartner.h"

#include <windows.h>

class DeviceHandle;

class DiscWaitThread : public Thread {
public:
    // The end message's wParam when the thread was asked to stop.
    static constexpr WPARAM kStopped = 0xFF;
    // The media state is read at this interval, at most this many times.
    static constexpr DWORD kPollIntervalMs = 2000;
    static constexpr int kPolls = 240;

    // device: null when there is none (the outcome is then NotReady when erasing).
    DiscWaitThread(HWND window, DeviceHandle* device, bool erase, UINT endedMessage)
        : window_(window), device_(device), erase_(erase), endedMessage_(endedMessage) {}

protected:
    void OnThreadStart() override;
    void OnThreadEnd() override;
    void Run() override;

private:
    BurnWindowPartner::DiscWait WaitUntilReady();
    // Waits up to the time in short slices, dispatching the thread's messages; false when
    // the thread was asked to stop.
    bool PumpUnlessStopped(DWORD milliseconds);

    HWND window_;
    DeviceHandle* device_; // the engine client's
    bool erase_;
    UINT endedMessage_;
    bool comJoined_ = false;
    // What Run found; NotReady unless it found otherwise (a body that failed).
    WPARAM outcome_ = static_cast<WPARAM>(BurnWindowPartner::DiscWait::NotReady);
};
