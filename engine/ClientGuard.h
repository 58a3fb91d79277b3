#pragma once
// ClientGuarded: the boundary of every engine-client operation. Runs the body and turns any
// exception into a result code (an allocation failure into E_OUTOFMEMORY, anything else
// into E_FAIL), so that nothing reaches the application as an exception.
#include <objbase.h>

#include <new>

template <class Body>
HRESULT ClientGuarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
