#include "ui/TrackPreparationThread.h"

#include "support/ComPtr.h"

void TrackPreparationThread::Run() {
    ScopedComInit com;
    partner_.PrepareTracks(eraseFirst_);
}

void TrackPreparationThread::OnThreadEnd() { PostMessageA(window_, endedMessage_, 0, 0); }
