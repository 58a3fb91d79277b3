#pragma once
// EngineClassFactory: the class object of the engine class, handed out by DllGetClassObject.
// One static instance; its reference count does not keep the DLL loaded (LockServer does).
#include <objbase.h>

class EngineClassFactory final : public IClassFactory {
public:
    static EngineClassFactory& Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    EngineClassFactory() = default;
};
