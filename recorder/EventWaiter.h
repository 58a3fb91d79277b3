#pragma once
// EventWaiter: the engine's Pacer::Waiter. Waits on a manual-reset event with a timeout, so
// that paced writing sleeps between chunks and wakes at once when the work is aborted.
// Interrupt and Reset may be called from any thread.
#include "recorder/Pacer.h"
#include "support/UniqueHandle.h"

class EventWaiter : public Pacer::Waiter {
public:
    EventWaiter();
    bool WaitUntil(Pacer::Clock::time_point deadline) override;
    void Interrupt();
    void Reset();
    bool Interrupted() const;

private:
    UniqueKernelHandle event_;
};
