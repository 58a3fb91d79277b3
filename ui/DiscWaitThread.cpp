#include "ui/DiscWaitThread.h"

#include "engine/EngineClient.h"
#include "support/PumpMessagesFor.h"

#include <objbase.h>

void DiscWaitThread::OnThreadStart() { comJoined_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }

void DiscWaitThread::OnThreadEnd() {
    if (comJoined_) CoUninitialize();
    comJoined_ = false;
    PostMessageA(window_, endedMessage_, StopRequested() ? kStopped : outcome_, 0);
}

void DiscWaitThread::Run() {
    using DiscWait = BurnWindowPartner::DiscWait;
    DiscWait outcome = DiscWait::Ready;
    if (erase_) {
        if (!device_) {
            outcome = DiscWait::NotReady;
        } else if (FAILED(device_->EraseDiscWithProgress())) {
            outcome = DiscWait::EraseFailed; // reported through the engine client's events
        } else {
            outcome = WaitUntilReady();
        }
    }
    outcome_ = static_cast<WPARAM>(outcome);
}

// Each read comes after an interval, so the drive settles after the erase (and the window
// shows the erase completed meanwhile).
BurnWindowPartner::DiscWait DiscWaitThread::WaitUntilReady() {
    for (int poll = 0; poll < kPolls; ++poll) {
        if (!PumpUnlessStopped(kPollIntervalMs)) break;
        LONG type = RECORDING_MEDIA_NONE;
        bool ready = false;
        if (SUCCEEDED(device_->GetMediaInfo(&type, nullptr, nullptr, nullptr)) && SUCCEEDED(device_->IsReady(ready)) &&
            ready) {
            return BurnWindowPartner::DiscWait::Ready;
        }
    }
    return BurnWindowPartner::DiscWait::NotReady;
}

bool DiscWaitThread::PumpUnlessStopped(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (StopRequested()) return false;
        PumpMessagesFor(50);
    }
    return !StopRequested();
}
