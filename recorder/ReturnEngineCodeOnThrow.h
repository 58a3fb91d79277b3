#pragma once
// ReturnEngineCodeOnThrow: the boundary of every COM method of the engine. Runs the body and turns any
// exception into a result code: an EngineFailure into its own code, an allocation failure
// into E_OUTOFMEMORY, anything else into E_FAIL. Nothing escapes to the COM runtime.
#include <objbase.h>

#include <new>
#include <string>

#include "recorder/EngineFailure.h"

template <class Body>
HRESULT ReturnEngineCodeOnThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const EngineFailure& e) {
        return e.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// A new BSTR holding text; throws std::bad_alloc when none can be allocated.
inline BSTR NewBstr(const std::wstring& text) {
    BSTR result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!result) throw std::bad_alloc();
    return result;
}

// The text of a BSTR; a null BSTR is the empty text.
inline std::wstring BstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }
