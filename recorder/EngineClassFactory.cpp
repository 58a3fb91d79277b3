#include "recorder/EngineClassFactory.h"

#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/RecorderModule.h"
#include "recorder/RecordingEngine.h"

EngineClassFactory& EngineClassFactory::Instance() {
    static EngineClassFactory factory;
    return factory;
}

HRESULT EngineClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT EngineClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return RecordingEngine::Create(iid, out);
    });
}

HRESULT EngineClassFactory::LockServer(BOOL lock) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        RecorderModule::LockServer(lock != FALSE);
        return S_OK;
    });
}
