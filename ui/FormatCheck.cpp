#include "ui/FormatCheck.h"

#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The argument letter of the conversion that starts after a '%' at text[i]; advances i past
// it. 0 for "%%", '?' for anything not allowed.
char Conversion(std::string_view text, std::size_t& i) {
    if (i < text.size() && text[i] == '%') {
        ++i;
        return 0;
    }
    while (i < text.size() && std::strchr("-+ #0", text[i])) ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    std::size_t longs = 0;
    while (i < text.size() && (text[i] == 'l' || text[i] == 'h' || text[i] == 'L' || text[i] == 'j' ||
                               text[i] == 'z' || text[i] == 't' || text[i] == 'I' || text[i] == 'q')) {
        if (text[i] != 'l') return '?';
        ++longs;
        ++i;
    }
    if (i >= text.size()) return '?';
    const char kind = text[i++];
    if (longs == 1 && std::strchr("udixXo", kind)) return 'u';
    if (longs == 0 && kind == 'c') return 'c';
    if (longs == 0 && kind == 's') return 's';
    return '?';
}

} // namespace

bool FormatCheck::Matches(std::string_view format, std::string_view arguments) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i++] != '%') continue;
        const char kind = Conversion(format, i);
        if (kind == 0) continue;
        if (kind == '?' || used >= arguments.size() || arguments[used] != kind) return false;
        ++used;
    }
    return used == arguments.size();
}

std::string FormatCheck::Choose(const std::string& text, const char* builtIn, std::string_view arguments) {
    return Matches(text, arguments) ? text : std::string(builtIn);
}
