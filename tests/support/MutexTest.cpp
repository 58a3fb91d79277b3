#include "Mutex_Win32Impl.h"
#include "common/HostKit.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

// Tries the system mutex from another thread, which never owns it through the Mutex object.
DWORD WaitFromOtherThread(HANDLE handle) {
    DWORD result = 0;
    std::thread([&] {
        result = WaitForSingleObject(handle, 0);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(handle);
    }).join();
    return result;
}

// Other threads (and so other processes) wait until the last Unlock of the owning thread;
// an Unlock from a thread that does not own it changes nothing.
TEST(MutexTest, ARecursiveLockIsFreedByTheOwnersLastUnlockOnly) {
    Mutex mutex;
    mutex.Lock();
    mutex.Lock();
    for (int held = 2; held > 0; --held) {
        std::thread([&] { mutex.Unlock(); }).join();
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitFromOtherThread(mutex.NativeHandle())) << "held " << held;
        mutex.Unlock();
    }
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle()));
    EXPECT_NO_THROW(MutexLock lock(mutex));
}

TEST(MutexTest, AnAbandonedMutexIsTakenOnceAndFreedByOneUnlock) {
    Mutex mutex;
    // A thread that ends while it holds the system mutex abandons it.
    std::thread([&] { WaitForSingleObject(mutex.NativeHandle(), 0); }).join();
    EXPECT_NO_THROW(mutex.Lock());
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle()))
        << "the system-level acquisition of the abandoned wait was kept";
}

TEST(MutexTest, FailedCallsThrow) {
    Mutex unlocked;
    unlocked.Lock();
    ReleaseMutex(unlocked.NativeHandle()); // the object still believes it owns the mutex
    EXPECT_THROW(unlocked.Unlock(), Mutex::unlock_failure);
    Mutex closed;
    CloseHandle(closed.NativeHandle()); // every wait now fails with ERROR_INVALID_HANDLE
    EXPECT_THROW(closed.Lock(), Mutex::lock_failure);
}

TEST(MutexTest, ARefusedMutexEndsTheProcessWithCodeThree) {
    const std::string name = "fennel-test-refused-" + std::to_string(GetCurrentProcessId());
    // An event already carries the mutex's system name, so CreateMutexA fails.
    UniqueKernelHandle blocker(CreateEventA(nullptr, TRUE, FALSE, (name + "_mutex").c_str()));
    ASSERT_TRUE(blocker);
    EXPECT_EQ("3", testsupport::RunToEnd(testsupport::Quoted(testsupport::SelfPath()) + " --mutex " + name, 10000));
}

} // namespace

// "--mutex <name>": the second process of the refused-mutex test only constructs the mutex.
int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--mutex") == 0) return Mutex(argv[2]), 0;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
