#pragma once
// CommandLineScanner: splits the burn command line into tokens, one per Next() call.
// Separators are the space and every control character; a double quote starts a text that
// runs to the next double quote (or the end) and may be empty.
#include "app/CommandToken.h"

#include <string>

class CommandLineScanner {
public:
    // The text ends at its first zero byte, as a C command line does.
    explicit CommandLineScanner(const std::string& text);

    // The next token; EndToken at the end, and again on every later call.
    CommandToken Next();

private:
    std::string text_;
    std::size_t pos_ = 0;
};
