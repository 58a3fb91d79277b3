#include "lib/LangStrings/LangSection.h"

#include "lib/LangStrings/LangFile/LanguageTag.h"
#include "lib/LangStrings/LangStrings.h"

LangSection::LangSection(std::shared_ptr<const LanguageStore> store, std::string name)
    : store_(std::move(store)), name_(std::move(name)) {
    const StoreReader reader = store_->Reader();
    const std::optional<StoreReader::Section> section = reader.FindSection(name_);
    if (!section) {
        FENNEL_THROW(LangStrings::section_not_found, "LangSection::LangSection()", name_.c_str());
    }
    reader.ForEachRecord(*section, [this](std::string_view key, std::string_view value) {
        strings_.emplace(key, value); // the first occurrence of a key is kept
    });
}

std::optional<std::string_view> LangSection::Lookup(std::string_view key) const {
    key = TrimBlanks(key);
    if (!key.empty() && key.front() == '{') key.remove_prefix(1);
    if (!key.empty() && key.back() == '}') key.remove_suffix(1);
    const auto it = strings_.find(key);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
}

std::string LangSection::Translate(std::string_view text, bool& changed) const {
    changed = false;
    std::string result(text);
    std::size_t open = result.find('{');
    while (open != std::string::npos) {
        const std::size_t close = result.find('}', open);
        if (close == std::string::npos) break;
        const std::optional<std::string_view> value =
            Lookup(std::string_view(result).substr(open + 1, close - open - 1));
        std::size_t next = close;
        if (value && !value->empty()) {
            result.replace(open, close - open + 1, value->data(), value->size());
            next = open + value->size();
            changed = true;
        }
        open = result.find('{', next);
    }
    return result;
}
