// The wedge after the process-exit code has destroyed its state: a thread that still calls
// it sees the fatal message once, and later calls fail quietly (a message box answers -1). A child run of this test
// program does that; the test answers its message box. Also the test program's main.
#include "lib/ResourceWedge/WedgeImpl.h"
#include "tests/ResourceWedge/WedgeTestIds.h"
#include "tests/ResourceWedge/WedgeTestSupport.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/ProcessWindows.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr char kChildSwitch[] = "--destroyed-wedge-child";
constexpr DWORD kChildDone = 7;

HANDLE g_wedgeGone = nullptr;
HANDLE g_callsDone = nullptr;
int g_boxAnswer = 0;

DWORD WINAPI LateCaller(void*) {
    WaitForSingleObject(g_wedgeGone, INFINITE);
    char text[32];
    for (int i = 0; i < 2; ++i) LoadStringA(GetModuleHandleW(nullptr), IDS_TITLE, text, sizeof text);
    g_boxAnswer = MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_OK);
    SetEvent(g_callsDone);
    return 0;
}

// Constructed before every object of default priority (g_WedgeImpl among them), so it is
// destroyed after them: in a child run it lets the late thread call the destroyed wedge.
struct AfterStaticObjects {
    bool child = false;
    ~AfterStaticObjects() {
        if (!child) return;
        SetEvent(g_wedgeGone);
        const bool done = WaitForSingleObject(g_callsDone, 60000) == WAIT_OBJECT_0;
        ExitProcess(!done ? 1 : g_boxAnswer == -1 ? kChildDone : 8);
    }
};
AfterStaticObjects g_afterStaticObjects __attribute__((init_priority(101)));

int RunChild() {
    if (!wedgetest::StartFrench()) return 2;
    char text[32];
    if (LoadStringA(GetModuleHandleW(nullptr), IDS_TITLE, text, sizeof text) != 7) return 3;
    g_wedgeGone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_callsDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, LateCaller, nullptr, 0, nullptr);
    if (!thread) return 4;
    CloseHandle(thread);
    g_afterStaticObjects.child = true;
    return 0; // the static objects go, then the late thread calls
}

} // namespace

TEST(DestroyedWedge, FatalMessageOnceThenQuietFailures) {
    testsupport::ChildProcess child(testsupport::Quoted(testsupport::SelfPath()) + " " + kChildSwitch);
    ASSERT_TRUE(child.Started()) << child.Error();
    HWND box = testsupport::FindProcessWindow(child.Id(), "#32770", "ResourceWedge", 30000);
    ASSERT_NE(box, nullptr) << "no fatal message";
    EXPECT_EQ(testsupport::MessageText(box),
              "Error encountered in the ResourceWedge:  The main application thread has exited, leaving the "
              "ResourceWedge in a state where it is unusable to the other threads that are calling it.");
    testsupport::PressButton(box, IDOK);
    // A second message would keep the child waiting until it is killed.
    ASSERT_TRUE(child.WaitForExit(30000));
    EXPECT_EQ(child.ExitCode(), kChildDone);
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kChildSwitch) == 0) return RunChild();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
