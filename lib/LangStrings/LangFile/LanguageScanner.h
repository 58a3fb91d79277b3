#pragma once
// LanguageScanner: receives the events of a LanguageFile pass (section headers, strings,
// tag lines, section ends and the end of the file). Arguments are byte strings in the
// file's code page; they are valid only during the call.
#include <string_view>

class LanguageScanner {
public:
    virtual ~LanguageScanner() = default;
    virtual void Tag(std::string_view key, std::string_view value) = 0;
    virtual void Section(std::string_view name) = 0;
    virtual void String(std::string_view key, std::string_view value) = 0;
    virtual void EndSection() = 0;
    virtual void Eof() = 0;
};
