#include "app/AppModule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The monitor posts the quit message once nothing is locked and the idle time has passed.
TEST(AppModuleTest, MonitorQuitsOnlyAfterTheLastUnlockAndTheIdleTime) {
    AppModule module;
    module.idleTimeout = 100;
    module.Init(nullptr, GetModuleHandleA(nullptr));
    ASSERT_TRUE(module.StartMonitor());
    module.Lock();
    module.SignalActivity();
    std::atomic<bool> unlocked{false};
    std::thread client([&] {
        Sleep(500); // several idle periods with an object still locked
        unlocked = true;
        module.Unlock();
    });
    MessageLoop loop;
    module.AddMessageLoop(&loop);
    const int code = loop.Run();
    module.RemoveMessageLoop();
    client.join();
    EXPECT_TRUE(unlocked.load()) << "the server quit while an object was still locked";
    EXPECT_EQ(0, code);
    EXPECT_EQ(0, module.LockCount());
    module.StopMonitor();
    module.Term();
}

// Later unlocks and signals from another thread find no monitor and post nothing.
TEST(AppModuleTest, StopMonitorJoinsAWaitingMonitor) {
    AppModule module;
    module.idleTimeout = INFINITE;
    module.Init(nullptr, GetModuleHandleA(nullptr));
    ASSERT_TRUE(module.StartMonitor());
    module.Lock();
    module.SignalActivity();
    module.StopMonitor();
    std::thread([&] {
        EXPECT_EQ(0, module.Unlock());
        module.SignalActivity();
    }).join();
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    module.Term();
}

} // namespace
