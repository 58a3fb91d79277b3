#pragma once
// ReturnFailureOnThrow: the boundary of every engine-client operation. Runs the body and
// answers its result; an exception becomes a result code instead (an allocation failure
// E_OUTOFMEMORY, anything else E_FAIL), so that nothing reaches the application as an
// exception. Any thread.
#include <objbase.h>

#include <new>

template <class Body>
HRESULT ReturnFailureOnThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
