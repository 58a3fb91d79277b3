#include "lib/LangStrings/LangSectionSet.h"

#include "lib/LangStrings/LangStrings.h"

#include <algorithm>

LangSectionSet::LangSectionSet(std::uint16_t language) : store_(LoadLanguageFile(language)) {}

LangSectionSet::LangSectionSet(std::shared_ptr<const LanguageStore> store)
    : store_(std::move(store)) {}

bool LangSectionSet::AddSection(std::string_view name) {
    auto section = std::make_shared<const LangSection>(store_, std::string(name));
    const auto same = std::find_if(sections_.begin(), sections_.end(), [name](const auto& s) {
        return EqualsUpperCase(s->Name(), name);
    });
    sections_.insert(same, std::move(section));
    return true;
}

std::shared_ptr<const LangSection> LangSectionSet::GetSection(std::string_view name) const {
    for (const auto& section : sections_) {
        if (EqualsUpperCase(section->Name(), name)) return section;
    }
    return std::make_shared<const LangSection>(store_, std::string(name));
}

std::optional<std::string_view> LangSectionSet::Lookup(std::string_view key) const {
    for (const auto& section : sections_) {
        if (auto value = section->Lookup(key)) return value;
    }
    return std::nullopt;
}

std::string LangSectionSet::Translate(std::string_view text, bool& changed) const {
    changed = false;
    std::string result(text);
    for (const auto& section : sections_) {
        bool sectionChanged = false;
        std::optional<std::string> translated = section->TranslateWithinLimit(result, sectionChanged);
        if (!translated) { // a section's texts expand beyond the limit: nothing is translated
            changed = false;
            return std::string(text);
        }
        result = std::move(*translated);
        changed = changed || sectionChanged;
    }
    return result;
}

std::string LangSectionSet::Translate(std::string_view text) const {
    bool changed = false;
    return Translate(text, changed);
}
