// Entry of the engine client's tests. Joins the multithreaded apartment as the program does
// and registers the engine DLL of this build tree, as the test scripts do with regsvr32.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/ComPtr.h"

int main(int argc, char** argv) {
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
