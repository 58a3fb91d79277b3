#include "recorder/IniFile.h"

#include <cctype>

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    std::string context = "line " + std::to_string(line) + ": " + what;
    FENNEL_THROW(IniFile::syntax_error, "IniFile::Parse()", context.c_str());
}

} // namespace

bool IniFile::SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<std::string> IniFile::Section::Get(std::string_view key) const {
    for (const Entry& entry : entries)
        if (SameName(entry.key, key)) return entry.value;
    return std::nullopt;
}

const IniFile::Section* IniFile::Find(std::string_view name) const {
    for (const Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

IniFile IniFile::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    IniFile ini;
    int number = 0;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        ++number;

        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') Fail(number, "section line without ']'");
            std::string name(Trim(line.substr(1, line.size() - 2)));
            if (name.empty()) Fail(number, "empty section name");
            if (ini.Find(name)) Fail(number, "section [" + name + "] appears twice");
            ini.sections_.push_back({name, number, {}});
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) Fail(number, "neither a section nor key=value");
        if (ini.sections_.empty()) Fail(number, "key outside any section");
        std::string key(Trim(line.substr(0, equals)));
        std::string_view value = line.substr(equals + 1);
        for (std::size_t i = 1; i < value.size(); ++i)
            if (value[i] == ';' && std::isspace(static_cast<unsigned char>(value[i - 1]))) {
                value = value.substr(0, i);
                break;
            }
        if (key.empty()) Fail(number, "empty key");
        Section& section = ini.sections_.back();
        if (section.Get(key)) Fail(number, "key " + key + " appears twice in [" + section.name + "]");
        section.entries.push_back({key, std::string(Trim(value)), number});
    }
    return ini;
}
