// Entry of the engine's COM tests. Joins the multithreaded apartment as the program does.
// Started with --child-media, the program is the "second process" of the state test: it
// creates its own engine from the inherited drive file and prints what drive 0 holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "engine/RecordingEngine.h"
#include "support/ComPtr.h"

namespace {

int PrintMedia() {
    ComPtr<IUnknown> unknown;
    ComPtr<IRecordingEngine> engine;
    ComPtr<IRecordingDevice> device;
    BSTR name = SysAllocString(L"second process");
    HRESULT hr = CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, unknown.put_void());
    if (SUCCEEDED(hr)) hr = OleRun(unknown.get());
    if (SUCCEEDED(hr)) hr = unknown.As(engine);
    if (SUCCEEDED(hr)) hr = engine->Initialize(FENNEL_APPLICATION_ID, name, 0);
    if (SUCCEEDED(hr)) hr = engine->GetDevice(0, device.put());
    SysFreeString(name);
    LONG type = 0;
    RecordingMediaDetails details{};
    RecordingMediaFlags flags{};
    RecordingMediaCapacity capacity{};
    flags.version = capacity.version = 1;
    if (SUCCEEDED(hr)) hr = device->GetMediaInfo(&type, &details, &flags, &capacity);
    if (FAILED(hr)) return std::printf("failed 0x%08lX\n", static_cast<unsigned long>(hr)), 1;
    std::printf("type=%ld tracks=%u sessions=%u audio=%u closed=%u free=%u\n", type, capacity.trackCount,
                details.sessionCount, flags.hasAudioTracks, flags.closed, capacity.freeFrames);
    return 0;
}

// Registers the engine DLL of this build tree, as the test scripts do with regsvr32.
bool RegisterEngine() {
    std::string path = std::string("Z:") + FENNEL_BINARY_DIR + "/bin/fennel_recorder.dll";
    HMODULE dll = LoadLibraryA(path.c_str());
    if (!dll) return false;
    using Register = HRESULT(WINAPI*)();
    auto doRegister = reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    bool ok = doRegister && SUCCEEDED(doRegister());
    FreeLibrary(dll);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    ScopedComInit com(COINIT_MULTITHREADED);
    if (argc > 1 && std::strcmp(argv[1], "--child-media") == 0) return PrintMedia();
    if (!RegisterEngine()) {
        std::fprintf(stderr, "cannot register the engine DLL (error %lu)\n", GetLastError());
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
