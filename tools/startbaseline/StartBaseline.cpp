// The start and end of a Windows program that does nothing else: COM in the multithreaded
// apartment and the common controls, as fennel.exe initialises them. The yardstick of the
// start-up figures of scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
