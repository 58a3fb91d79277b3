#pragma once
// TrimChars: the text without the leading and trailing characters that belong to the set.
#include <string>

std::string TrimChars(const std::string& text, const std::string& chars);
