#pragma once
// IniFile: a plain INI text: [section] lines, key=value lines, comments from ';' or '#' at
// the start of a line or from " ;" after a value. Section and key names compare without
// regard to case; order is kept. Duplicates and stray lines are syntax errors naming the
// line. Read-only after parsing; any thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ContextException.h"

class IniFile {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(syntax_error, base_exception);

    struct Entry {
        std::string key;
        std::string value;
        int line = 0;
    };
    struct Section {
        std::string name;
        int line = 0; // where the section starts, for messages
        std::vector<Entry> entries;

        std::optional<std::string> Get(std::string_view key) const;
    };

    static IniFile Parse(std::string_view text);

    const std::vector<Section>& Sections() const { return sections_; }
    const Section* Find(std::string_view name) const;

    static bool SameName(std::string_view a, std::string_view b);

private:
    std::vector<Section> sections_;
};
