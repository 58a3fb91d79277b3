#include "engine/EngineThread.h"

#include "engine/EngineSession.h"

#include <objbase.h>

void EngineThread::OnThreadStart() { comJoined_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }

void EngineThread::OnThreadEnd() {
    if (comJoined_) CoUninitialize();
    comJoined_ = false;
}

void EngineThread::Run() {
    if (EngineSession* session = session_.load()) session->RecordTrack();
}
