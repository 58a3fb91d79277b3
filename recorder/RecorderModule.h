#pragma once
// RecorderModule: the engine DLL's module-wide state: its handle and path, the count of live
// COM objects, server locks and running threads of the DLL that decides DllCanUnloadNow, and
// the registration of the engine's class under HKLM\Software\Classes (the place Wine's COM
// reads).
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
    // A thread of the DLL that may outlive every object: counted from before it starts until
    // it ends. Pin answers a reference on the DLL that the thread gives back as it exits
    // (FreeLibraryAndExitThread), so the DLL stays loaded under its last instructions; null
    // when none could be taken.
    static void ThreadStarted();
    static void ThreadEnded();
    static HMODULE Pin();
    static bool CanUnload();

    static HRESULT Register();
    static HRESULT Unregister();
};
