#include "ui/TextFormat.h"

#include "ui/FormatCheck.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace textformat {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string Format(const std::string& languageText, const char* builtIn, const char* arguments, ...) {
    // Only a text whose conversions agree with the arguments is ever passed to the printer.
    const std::string format = FormatCheck::Choose(languageText, builtIn, arguments);
    char text[1024];
    va_list list;
    va_start(list, arguments);
    const int n = std::vsnprintf(text, sizeof text, format.c_str(), list);
    va_end(list);
    if (n < 0) return std::string();
    return std::string(text, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1));
}
#pragma GCC diagnostic pop

} // namespace textformat
