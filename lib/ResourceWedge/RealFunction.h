#pragma once
// RealFunction: the system's own function of an intercepted name, fetched by name from its
// module on first use and kept. Because the program's import pointers lead to the wedge,
// the wedge reaches the system only this way. Any thread: every writer stores the same
// value.
#include <windows.h>

#include <atomic>

template <class F>
class RealFunction {
public:
    constexpr RealFunction(const char* module, const char* name) : module_(module), name_(name) {}

    // Null when the module or the function can't be found.
    F Get() const {
        F function = function_.load(std::memory_order_acquire);
        if (function) return function;
        HMODULE module = GetModuleHandleA(module_);
        // A module whose every import the program replaces drops out of its import table
        // and may not be loaded yet.
        if (!module) module = LoadLibraryA(module_);
        if (!module) return nullptr;
        FARPROC address = GetProcAddress(module, name_);
        if (!address) return nullptr;
        function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
        function_.store(function, std::memory_order_release);
        return function;
    }

private:
    const char* module_;
    const char* name_;
    mutable std::atomic<F> function_{nullptr};
};
