#include "support/Thread.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Body { WaitForStop, ThrowStd, ThrowOther, Return, StopBeforeRun };

// Records what ran, in order; Run's behaviour is chosen per test.
class RecordingThread : public Thread {
public:
    explicit RecordingThread(Body body, bool throwOnStart = false) : body_(body), throwOnStart_(throwOnStart) {
        running_ = CreateEventA(nullptr, FALSE, FALSE, nullptr); // auto-reset: one per Run
    }
    ~RecordingThread() override { CloseHandle(running_); }

    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    bool WaitUntilRunning() { return WaitForSingleObject(running_, 10000) == WAIT_OBJECT_0; }
    DWORD RunThreadId() const { return runThreadId_; }
    DWORD IdSeenInRun() const { return idSeenInRun_; }

protected:
    void OnThreadStart() override {
        Add("start");
        if (throwOnStart_) throw std::runtime_error("no start");
        if (body_ == Body::StopBeforeRun) RequestStop();
    }
    void Run() override {
        Add("run");
        runThreadId_ = GetCurrentThreadId();
        idSeenInRun_ = ThreadId();
        SetEvent(running_);
        switch (body_) {
        case Body::WaitForStop:
            while (!StopRequested()) Sleep(1);
            break;
        case Body::ThrowStd:
            throw std::runtime_error("body failed");
        case Body::ThrowOther:
            throw 42;
        case Body::Return:
        case Body::StopBeforeRun:
            break;
        }
    }
    void OnThreadEnd() override { Add("end"); }

private:
    void Add(const char* event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
    }

    Body body_;
    bool throwOnStart_;
    HANDLE running_;
    std::mutex mutex_;
    std::vector<std::string> events_;
    DWORD runThreadId_ = 0;
    DWORD idSeenInRun_ = 0;
};

using Events = std::vector<std::string>;

TEST(ThreadTest, StartOnARunningThreadDoesNothing) {
    RecordingThread thread(Body::WaitForStop);
    thread.Start();
    ASSERT_TRUE(thread.WaitUntilRunning());
    const DWORD id = thread.ThreadId();
    EXPECT_NO_THROW(thread.Start());
    EXPECT_EQ(id, thread.ThreadId());
    thread.WaitForThread();
    EXPECT_EQ(0u, thread.ThreadId());
    EXPECT_EQ((Events{"start", "run", "end"}), thread.Events());
}

TEST(ThreadTest, FailuresStayOnTheThread) {
    struct Case {
        const char* label;
        Body body;
        bool throwOnStart;
        Events expected;
    };
    const Case cases[] = {
        {"Run throws a standard exception", Body::ThrowStd, false, {"start", "run", "end"}},
        {"Run throws something else", Body::ThrowOther, false, {"start", "run", "end"}},
        {"OnThreadStart throws", Body::Return, true, {"start"}},
        // What OnThreadStart set up is undone even when Run is skipped.
        {"stopped before Run", Body::StopBeforeRun, false, {"start", "end"}},
    };
    for (const Case& c : cases) {
        RecordingThread thread(c.body, c.throwOnStart);
        thread.Start();
        if (!c.throwOnStart && c.body != Body::StopBeforeRun) {
            ASSERT_TRUE(thread.WaitUntilRunning()) << c.label;
        }
        thread.WaitForThread();
        EXPECT_EQ(c.expected, thread.Events()) << c.label;
        EXPECT_EQ(0u, thread.ThreadId()) << c.label;
    }
}

TEST(ThreadTest, WaitOnANeverStartedThreadReturnsAtOnce) {
    RecordingThread thread(Body::WaitForStop);
    thread.WaitForThread();
    thread.RequestStop();
    EXPECT_TRUE(thread.Events().empty());
    EXPECT_EQ(0u, thread.ThreadId());
}

TEST(ThreadTest, WaitResumesASuspendedThread) {
    RecordingThread thread(Body::WaitForStop);
    thread.Start();
    ASSERT_TRUE(thread.WaitUntilRunning());
    thread.Suspend();
    thread.WaitForThread();
    EXPECT_EQ(0u, thread.ThreadId());
    EXPECT_EQ((Events{"start", "run", "end"}), thread.Events());
}

TEST(ThreadTest, StartClearsAnEarlierStopRequest) {
    RecordingThread thread(Body::Return);
    thread.RequestStop();
    EXPECT_TRUE(thread.StopRequested());
    thread.Start();
    ASSERT_TRUE(thread.WaitUntilRunning());
    thread.WaitForThread();
    EXPECT_EQ((Events{"start", "run", "end"}), thread.Events());
}

// A thread that ends at once, started many times: id and handle are always cleared at its
// end, so every Start really starts it, each time on a thread of its own.
TEST(ThreadTest, AShortLivedThreadCanBeStartedAgainAndAgain) {
    RecordingThread thread(Body::Return);
    for (int i = 0; i < 200; ++i) {
        thread.Start();
        ASSERT_TRUE(thread.WaitUntilRunning()) << "round " << i;
        thread.WaitForThread();
        ASSERT_EQ(0u, thread.ThreadId()) << "round " << i;
        ASSERT_NE(GetCurrentThreadId(), thread.RunThreadId());
        ASSERT_EQ(thread.RunThreadId(), thread.IdSeenInRun()) << "ThreadId() inside Run";
    }
    EXPECT_EQ(600u, thread.Events().size());
}

} // namespace
