#pragma once
// RecorderModule: the engine DLL's module-wide state: its handle and path, the count of live
// COM objects and server locks that decides DllCanUnloadNow, and the registration of the
// engine's class under HKLM\Software\Classes (the place Wine's COM reads).
#include <windows.h>

#include <string>

class RecorderModule {
public:
    static void SetHandle(HMODULE module);
    static std::wstring Path();   // full path of the DLL
    static std::wstring Folder(); // its folder

    static void ObjectCreated();
    static void ObjectDestroyed();
    static void LockServer(bool lock);
    static bool CanUnload();

    static HRESULT Register();
    static HRESULT Unregister();
};
