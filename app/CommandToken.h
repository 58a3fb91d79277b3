#pragma once
// CommandToken: one token of the burn command line as CommandLineScanner reads it.
#include <cstdint>
#include <string>

enum CommandTokenKind : std::int32_t {
    FlagToken = 1,   // a word introduced by '-', '+' or '/'
    NameToken = 2,   // a quoted text, or an unquoted word that is not all digits
    NumberToken = 3, // an unquoted word of decimal digits only
    EndToken = 4,    // the end of the command line
};

struct CommandToken {
    std::int32_t kind = EndToken;
    std::string text;
    char prefix = '\0'; // the introducing character of a FlagToken
};
