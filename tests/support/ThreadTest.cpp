#include "support/Thread.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>

namespace {

enum class Body { WaitForStop, ThrowStd, ThrowOther, Return, StopBeforeRun, ThrowOnStart };

// Records what ran, in order ("start run end"); the body chooses what Run and OnThreadStart do.
class RecordingThread : public Thread {
public:
    explicit RecordingThread(Body body) : body_(body) {}
    std::string Events() { return std::lock_guard<std::mutex>(mutex_), events_; }
    bool WaitUntilRunning() { return WaitForSingleObject(running_.get(), 10000) == WAIT_OBJECT_0; }
    DWORD runThreadId = 0, idSeenInRun = 0;

protected:
    void OnThreadStart() override {
        Add("start");
        if (body_ == Body::ThrowOnStart) throw std::runtime_error("no start");
        if (body_ == Body::StopBeforeRun) RequestStop();
    }
    void Run() override {
        Add(" run");
        runThreadId = GetCurrentThreadId();
        idSeenInRun = ThreadId();
        SetEvent(running_.get());
        while (body_ == Body::WaitForStop && !StopRequested()) Sleep(1);
        if (body_ == Body::ThrowStd) throw std::runtime_error("body failed");
        if (body_ == Body::ThrowOther) throw 42;
    }
    void OnThreadEnd() override { Add(" end"); }

private:
    void Add(const char* event) { std::lock_guard<std::mutex> lock(mutex_); events_ += event; }
    Body body_;
    UniqueKernelHandle running_{CreateEventA(nullptr, FALSE, FALSE, nullptr)}; // auto-reset: one per Run
    std::mutex mutex_;
    std::string events_;
};

// Failures stay on the thread; what OnThreadStart set up is undone even when Run is skipped.
TEST(ThreadTest, EveryEndingRunsTheRightSteps) {
    const std::pair<Body, const char*> cases[] = {{Body::Return, "start run end"},        {Body::ThrowStd, "start run end"},
                                                  {Body::ThrowOther, "start run end"},    {Body::ThrowOnStart, "start"},
                                                  {Body::StopBeforeRun, "start end"}};
    for (const auto& [body, events] : cases) {
        RecordingThread thread(body);
        thread.Start();
        // WaitForThread stops a thread that has not reached Run yet.
        const bool runs = std::string(events).find("run") != std::string::npos;
        ASSERT_TRUE(!runs || thread.WaitUntilRunning()) << events;
        thread.WaitForThread();
        EXPECT_EQ(events, thread.Events()) << events;
        EXPECT_EQ(0u, thread.ThreadId()) << events;
    }
}

// Waiting before any start returns at once; Start clears an earlier stop request and does
// nothing on a running thread; WaitForThread resumes a suspended thread to stop it.
TEST(ThreadTest, StartAndWaitFollowTheThreadsState) {
    RecordingThread thread(Body::WaitForStop);
    thread.WaitForThread();
    thread.RequestStop();
    thread.Start();
    ASSERT_TRUE(thread.WaitUntilRunning()) << "a stop request left over skips Run";
    const DWORD id = thread.ThreadId();
    EXPECT_NO_THROW(thread.Start());
    EXPECT_EQ(id, thread.ThreadId());
    thread.Suspend();
    thread.WaitForThread();
    EXPECT_EQ(0u, thread.ThreadId());
    EXPECT_EQ("start run end", thread.Events());
}

// Id and handle are cleared at each end, so every Start really starts a thread of its own.
TEST(ThreadTest, AShortLivedThreadCanBeStartedAgainAndAgain) {
    RecordingThread thread(Body::Return);
    for (int i = 0; i < 200; ++i) {
        thread.Start();
        ASSERT_TRUE(thread.WaitUntilRunning()) << "round " << i;
        thread.WaitForThread();
        ASSERT_EQ(0u, thread.ThreadId()) << "round " << i;
        ASSERT_NE(GetCurrentThreadId(), thread.runThreadId);
        ASSERT_EQ(thread.runThreadId, thread.idSeenInRun) << "ThreadId() inside Run";
    }
    EXPECT_EQ(200 * std::string("start run end").size(), thread.Events().size());
}

} // namespace
