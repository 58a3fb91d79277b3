// Entry of the test programs that talk to the recording engine: the common controls, the
// multithreaded apartment as the program joins it, and this build tree's engine registered.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/ComPtr.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ScopedComInit com(COINIT_MULTITHREADED);
    const std::string path = std::string("Z:") + FENNEL_BINARY_DIR + "/bin/fennel_recorder.dll";
    HMODULE dll = LoadLibraryA(path.c_str());
    using Register = HRESULT(WINAPI*)();
    auto doRegister =
        dll ? reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer"))) : nullptr;
    if (!doRegister || FAILED(doRegister())) {
        std::fprintf(stderr, "cannot register the engine DLL %s (error %lu)\n", path.c_str(), GetLastError());
        return 1;
    }
    FreeLibrary(dll);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
