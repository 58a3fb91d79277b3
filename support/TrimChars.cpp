#include "support/TrimChars.h"

std::string TrimChars(const std::string& text, const std::string& chars) {
    const std::size_t first = text.find_first_not_of(chars);
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(chars);
    return text.substr(first, last - first + 1);
}
