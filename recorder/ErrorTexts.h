#pragma once
// ErrorTexts: the engine's own text for each of its result codes, as its error list and
// GetErrorText give them. Stateless; any thread.
#include <cstdint>
#include <string>

class ErrorTexts {
public:
    // The text for code; a code the engine doesn't define gets "Error 0x8xxxxxxx.".
    static std::string Describe(std::int32_t code);
    // "0x8004177A"
    static std::string Hex(std::int32_t code);
};
