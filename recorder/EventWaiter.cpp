#include "recorder/EventWaiter.h"

#include <stdexcept>

EventWaiter::EventWaiter() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!event_) throw std::bad_alloc();
}

bool EventWaiter::WaitUntil(Pacer::Clock::time_point deadline) {
    for (;;) {
        auto left = deadline - Pacer::Clock::now();
        if (left <= Pacer::Clock::duration::zero()) return !Interrupted();
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        if (WaitForSingleObject(event_.get(), static_cast<DWORD>(ms)) == WAIT_OBJECT_0) return false;
    }
}

void EventWaiter::Interrupt() { SetEvent(event_.get()); }

void EventWaiter::Reset() { ResetEvent(event_.get()); }

bool EventWaiter::Interrupted() const { return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }
