#pragma once
// ImapiResults: what a result of the recording API means to the engine: the engine's result
// code that stands for it and a text for the error list naming the recorder's own code.
// Stateless; any thread.
#include <objbase.h>

#include <cstdint>
#include <string>

class ImapiResults {
public:
    struct Meaning {
        std::int32_t code; // the engine's result code
        std::string text;  // "<what happened> (recorder result 0xC0AA0202)"
    };
    static Meaning Of(HRESULT result);
    // Throws EngineFailure with the meaning of a failed result; what: the call that failed.
    [[noreturn]] static void Fail(HRESULT result, const char* where, const char* what);
    // Returns when result succeeded, else as Fail.
    static void Check(HRESULT result, const char* where, const char* what) {
        if (FAILED(result)) Fail(result, where, what);
    }
};
