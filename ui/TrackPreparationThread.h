#pragma once
// TrackPreparationThread: the burn window's worker that has the partner erase first (when
// asked) and hand every track to the engine; the results reach the window as the partner's
// posted events, and the thread posts the window its end message as it ends (also when it
// was stopped before it began). Started and
// waited for by the window, which owns it; the partner and the window outlive it.
#include "support/Thread.h"
#include "ui/BurnWindowPartner.h"

#include <windows.h>

class TrackPreparationThread : public Thread {
public:
    TrackPreparationThread(BurnWindowPartner& partner, HWND window, bool eraseFirst, UINT endedMessage)
        : partner_(partner), window_(window), eraseFirst_(eraseFirst), endedMessage_(endedMessage) {}

protected:
    void Run() override;
    void OnThreadEnd() override;

private:
    BurnWindowPartner& partner_;
    HWND window_;
    bool eraseFirst_;
    UINT endedMessage_;
};
