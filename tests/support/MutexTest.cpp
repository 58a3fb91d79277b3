#include "Mutex_Win32Impl.h"
#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <thread>

namespace {

// The second process of the cross-process tests, started as "--child <role> <args...>". Roles:
//   hold <name> <acquired event> <release event>: lock, signal, wait for release, unlock
//   abandon <name> <acquired event>: lock, signal, end without unlocking
//   create <name>: construct the mutex (the test arranges for the system to refuse it)
int RunMutexChild(int argc, char** argv) {
    const std::string role = argc > 0 ? argv[0] : "";
    if ((role == "hold" && argc == 4) || (role == "abandon" && argc == 3)) {
        Mutex mutex(argv[1]);
        mutex.Lock();
        UniqueKernelHandle acquired(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        SetEvent(acquired.get());
        if (role == "abandon") TerminateProcess(GetCurrentProcess(), 0);
        UniqueKernelHandle release(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
        const bool released = WaitForSingleObject(release.get(), 30000) == WAIT_OBJECT_0;
        mutex.Unlock();
        return released ? 0 : 2;
    }
    if (role == "create" && argc == 2) {
        Mutex mutex(argv[1]);
        return 0;
    }
    return 99;
}

using testsupport::ChildProcess;

std::string UniqueName(const char* what) { return std::string("fennel-test-") + what + "-" + std::to_string(GetCurrentProcessId()); }

std::string ChildCommand(const std::string& args) { return testsupport::Quoted(testsupport::SelfPath()) + " --child " + args; }

// Tries the system mutex from another thread, which never owns it through the Mutex object.
DWORD WaitFromOtherThread(HANDLE handle) {
    DWORD result = 0;
    std::thread([&] {
        result = WaitForSingleObject(handle, 0);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(handle);
    }).join();
    return result;
}

TEST(MutexTest, NamedMutexIsTheSystemObjectWithSuffix) {
    const std::string name = UniqueName("named");
    Mutex mutex(name.c_str());
    EXPECT_TRUE(UniqueKernelHandle(OpenMutexA(SYNCHRONIZE, FALSE, (name + "_mutex").c_str())));
    EXPECT_FALSE(UniqueKernelHandle(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str())));
}

TEST(MutexTest, RecursiveLockHoldsOffAnotherProcessUntilTheLastUnlock) {
    const std::string name = UniqueName("recursive"), acquiredName = name + "-acquired", releaseName = name + "-release";
    UniqueKernelHandle acquired(CreateEventA(nullptr, TRUE, FALSE, acquiredName.c_str()));
    UniqueKernelHandle release(CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
    Mutex mutex(name);
    mutex.Lock();
    mutex.Lock();
    ChildProcess child(ChildCommand("hold " + name + " " + acquiredName + " " + releaseName));
    ASSERT_TRUE(child.Started()) << "error " << child.Error();
    for (int held = 2; held > 0; --held) {
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(acquired.get(), 300)) << "held " << held << " times";
        mutex.Unlock();
    }
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(acquired.get(), 10000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitFromOtherThread(mutex.NativeHandle())) << "the child holds it now";
    SetEvent(release.get());
    ASSERT_TRUE(child.WaitForExit(10000));
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_NO_THROW(MutexLock lock(mutex));
}

TEST(MutexTest, UnlockFromAThreadThatDoesNotOwnItChangesNothing) {
    Mutex mutex;
    mutex.Lock();
    std::thread([&] { mutex.Unlock(); }).join();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitFromOtherThread(mutex.NativeHandle()));
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle()));
}

TEST(MutexTest, AnAbandonedMutexIsTakenOnceAndFreedByOneUnlock) {
    const std::string name = UniqueName("abandoned"), acquiredName = name + "-acquired";
    UniqueKernelHandle acquired(CreateEventA(nullptr, TRUE, FALSE, acquiredName.c_str()));
    Mutex mutex(name);
    ChildProcess child(ChildCommand("abandon " + name + " " + acquiredName));
    ASSERT_TRUE(child.Started() && child.WaitForExit(10000)) << "error " << child.Error();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(acquired.get(), 0));
    EXPECT_NO_THROW(mutex.Lock());
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle()))
        << "the system-level acquisition of the abandoned wait was kept";
}

TEST(MutexTest, FailuresNameTheCallAndItsError) {
    Mutex unlocked;
    unlocked.Lock();
    ReleaseMutex(unlocked.NativeHandle()); // the object still believes it owns the mutex
    try {
        unlocked.Unlock();
        ADD_FAILURE() << "Unlock must throw when ReleaseMutex fails";
    } catch (const Mutex::unlock_failure& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("ReleaseMutex returned false")) << e.what();
    }
    Mutex closed;
    CloseHandle(closed.NativeHandle()); // every wait now fails with ERROR_INVALID_HANDLE
    try {
        closed.Lock();
        ADD_FAILURE() << "Lock must throw when every wait fails";
    } catch (const Mutex::lock_failure& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("WAIT_FAILED error 6")) << e.what();
    }
}

TEST(MutexTest, ARefusedMutexEndsTheProcessWithCodeThree) {
    const std::string name = UniqueName("refused");
    // An event already carries the mutex's system name, so CreateMutexA fails.
    UniqueKernelHandle blocker(CreateEventA(nullptr, TRUE, FALSE, (name + "_mutex").c_str()));
    ASSERT_TRUE(blocker);
    EXPECT_EQ("3", testsupport::RunToEnd(ChildCommand("create " + name), 10000));
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) return RunMutexChild(argc - 2, argv + 2);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
