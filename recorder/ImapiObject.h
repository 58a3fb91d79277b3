#pragma once
// CreateImapiObject: makes one object of the recording API, or throws EngineFailure with the
// meaning of the API's answer. The calling thread must be in COM. Any thread.
#include <objbase.h>

#include "recorder/ImapiResults.h"
#include "support/ComPtr.h"

// The recording API's classes are in-process servers: asking for a local server as well only
// makes a system without the API ask the COM service too before it answers "not registered".
constexpr DWORD kImapiContext = CLSCTX_INPROC_SERVER;

template <class Interface>
ComPtr<Interface> CreateImapiObject(REFCLSID clsid, const char* where) {
    ComPtr<Interface> object;
    ImapiResults::Check(CoCreateInstance(clsid, nullptr, kImapiContext, __uuidof(Interface), object.put_void()), where,
                        "creating the recording API's object");
    return object;
}
