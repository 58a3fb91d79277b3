#pragma once
// EngineThread: the client's worker thread. Joins the multithreaded COM apartment and runs
// its session's RecordTrack, the engine's blocking recording call. Owned by the
// EngineClient, which waits for it before the session goes.
#include "support/Thread.h"

#include <atomic>

class EngineSession;

class EngineThread final : public Thread {
public:
    void SetSession(EngineSession* session) { session_ = session; }

protected:
    void OnThreadStart() override;
    void OnThreadEnd() override;
    void Run() override;

private:
    std::atomic<EngineSession*> session_{nullptr};
    bool comJoined_ = false; // on the worker thread only
};
