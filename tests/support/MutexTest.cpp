#include "MutexChild.h"

#include "Mutex_Win32Impl.h"
#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>

int RunMutexChild(int argc, char** argv) {
    const std::string role = argc > 0 ? argv[0] : "";
    if (role == "hold" && argc == 4) {
        Mutex mutex(argv[1]);
        mutex.Lock();
        UniqueKernelHandle acquired(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        UniqueKernelHandle release(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
        SetEvent(acquired.get());
        const bool released = WaitForSingleObject(release.get(), 30000) == WAIT_OBJECT_0;
        mutex.Unlock();
        return released ? 0 : 2;
    }
    if (role == "abandon" && argc == 3) {
        Mutex mutex(argv[1]);
        mutex.Lock();
        UniqueKernelHandle acquired(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        SetEvent(acquired.get());
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (role == "create" && argc == 2) {
        Mutex mutex(argv[1]);
        return 0;
    }
    return 99;
}

namespace {

using testsupport::ChildProcess;

std::string UniqueName(const char* what) {
    return std::string("fennel-test-") + what + "-" + std::to_string(GetCurrentProcessId());
}

std::string ChildCommand(const std::string& args) {
    return testsupport::Quoted(testsupport::SelfPath()) + " --child " + args;
}

// Tries the system mutex from another thread, which never owns it through the Mutex object.
DWORD WaitFromOtherThread(HANDLE handle, DWORD timeoutMs, bool releaseAfter = true) {
    DWORD result = 0;
    std::thread other([&] {
        result = WaitForSingleObject(handle, timeoutMs);
        if (releaseAfter && (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)) ReleaseMutex(handle);
    });
    other.join();
    return result;
}

TEST(MutexTest, NamedMutexIsTheSystemObjectWithSuffix) {
    const std::string name = UniqueName("named");
    Mutex mutex(name.c_str());
    UniqueKernelHandle suffixed(OpenMutexA(SYNCHRONIZE, FALSE, (name + "_mutex").c_str()));
    EXPECT_TRUE(suffixed) << "GetLastError() = " << GetLastError();
    UniqueKernelHandle plain(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
    EXPECT_FALSE(plain);
}

TEST(MutexTest, RecursiveLockHoldsOffAnotherProcessUntilTheLastUnlock) {
    const std::string name = UniqueName("recursive");
    const std::string acquiredName = name + "-acquired", releaseName = name + "-release";
    UniqueKernelHandle acquired(CreateEventA(nullptr, TRUE, FALSE, acquiredName.c_str()));
    UniqueKernelHandle release(CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
    Mutex mutex(name);
    mutex.Lock();
    mutex.Lock();
    ChildProcess child(ChildCommand("hold " + name + " " + acquiredName + " " + releaseName));
    ASSERT_TRUE(child.Started()) << "error " << child.Error();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(acquired.get(), 300))
        << "the child got the mutex while this process held it twice";
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(acquired.get(), 300))
        << "the child got the mutex while this process still held it once";
    mutex.Unlock();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(acquired.get(), 10000))
        << "two locks and two unlocks must leave the mutex free";
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitFromOtherThread(mutex.NativeHandle(), 0))
        << "the child holds it now";
    SetEvent(release.get());
    ASSERT_TRUE(child.WaitForExit(10000));
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_NO_THROW(MutexLock lock(mutex));
}

TEST(MutexTest, UnlockFromAThreadThatDoesNotOwnItChangesNothing) {
    Mutex mutex;
    mutex.Lock();
    std::thread([&] { mutex.Unlock(); }).join();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitFromOtherThread(mutex.NativeHandle(), 0));
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle(), 0));
}

TEST(MutexTest, AnAbandonedMutexIsTakenOnceAndFreedByOneUnlock) {
    const std::string name = UniqueName("abandoned");
    const std::string acquiredName = name + "-acquired";
    UniqueKernelHandle acquired(CreateEventA(nullptr, TRUE, FALSE, acquiredName.c_str()));
    Mutex mutex(name);
    ChildProcess child(ChildCommand("abandon " + name + " " + acquiredName));
    ASSERT_TRUE(child.Started()) << "error " << child.Error();
    ASSERT_TRUE(child.WaitForExit(10000));
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(acquired.get(), 0));
    EXPECT_NO_THROW(mutex.Lock());
    mutex.Unlock();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitFromOtherThread(mutex.NativeHandle(), 0))
        << "the system-level acquisition of the abandoned wait was kept";
}

TEST(MutexTest, FailureTextsNameTheCallAndThePlace) {
    {
        Mutex mutex;
        mutex.Lock();
        ReleaseMutex(mutex.NativeHandle()); // the object still believes it owns the mutex
        try {
            mutex.Unlock();
            FAIL() << "Unlock must throw when ReleaseMutex fails";
        } catch (const Mutex::unlock_failure& e) {
            EXPECT_TRUE(std::regex_match(
                e.what(), std::regex(R"(Mutex::Unlock\(\)\[inc/Mutex_Win32Impl\.h, \d+\] threw exception )"
                                     R"(unlock_failure, with context: Error: ReleaseMutex returned false\.)")))
                << e.what();
        }
    }
    {
        Mutex mutex;
        CloseHandle(mutex.NativeHandle()); // every wait now fails with ERROR_INVALID_HANDLE
        try {
            mutex.Lock();
            FAIL() << "Lock must throw when every wait fails";
        } catch (const Mutex::lock_failure& e) {
            EXPECT_TRUE(std::regex_match(e.what(),
                                         std::regex(R"(Mutex::Lock\(\)\[inc/Mutex_Win32Impl\.h, \d+\] threw exception )"
                                                    R"(lock_failure, with context: Error: WaitForSingleObject )"
                                                    R"(returned WAIT_FAILED error 6)")))
                << e.what();
        }
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
