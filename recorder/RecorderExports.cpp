// Entry points of the engine DLL: the loader's notification and the four functions COM and
// regsvr32 call. Each catches everything; nothing escapes to the loader or the COM runtime.
#include <windows.h>

#include "engine/RecordingEngine.h"
#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/EngineClassFactory.h"
#include "recorder/RecorderModule.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        RecorderModule::SetHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualCLSID(clsid, CLSID_RecordingEngine)) return CLASS_E_CLASSNOTAVAILABLE;
        return EngineClassFactory::Instance().QueryInterface(iid, out);
    });
}

HRESULT WINAPI DllCanUnloadNow() {
    return ReturnEngineCodeOnThrow([] { return RecorderModule::CanUnload() ? S_OK : S_FALSE; });
}

HRESULT WINAPI DllRegisterServer() {
    return ReturnEngineCodeOnThrow([] { return RecorderModule::Register(); });
}

HRESULT WINAPI DllUnregisterServer() {
    return ReturnEngineCodeOnThrow([] { return RecorderModule::Unregister(); });
}

} // extern "C"
