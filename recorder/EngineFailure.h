#pragma once
// EngineFailure: a failure that already knows the engine result code it stands for, so that
// the COM boundary answers that code and the error list shows the text.
#include <cstdint>

#include "support/ContextException.h"

class EngineFailure : public ContextException {
public:
    EngineFailure(std::int32_t code, const char* where, const char* context, const char* file, int line)
        : ContextException(where, context, file, line, "EngineFailure"), code_(code) {}
    std::int32_t Code() const noexcept { return code_; }

private:
    std::int32_t code_;
};

#define RECORDER_FAIL(code, where, context) throw EngineFailure((code), (where), (context), __FILE__, __LINE__)
