#pragma once
// The one guard of the wedge's replacements: FallBackOnThrow(work, fallback) answers work()'s
// value; when the wedge's work throws it answers fallback() instead, which calls the
// system's function with the caller's arguments. So no exception of the wedge reaches the program.
// The guard allocates nothing; a replacement calls it before anything else. Work that hands
// control to the caller's code (a dialog procedure) runs outside it, so that an exception
// of the caller's never leads to a second call of the system's function.
#include "lib/ResourceWedge/RealFunction.h"

template <class Work, class Fallback>
auto FallBackOnThrow(Work&& work, Fallback&& fallback) noexcept -> decltype(fallback()) {
    try {
        return work();
    } catch (...) {
        return fallback();
    }
}

// Calls the system's function, or answers its failure value when it can't be found.
template <class F, class Failure, class... Args>
auto CallReal(const RealFunction<F>& real, Failure failure, Args... args) -> decltype(failure) {
    const F function = real.Get();
    return function ? static_cast<decltype(failure)>(function(args...)) : failure;
}
