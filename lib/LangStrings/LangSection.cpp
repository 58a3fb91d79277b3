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
    std::optional<std::string> result = TranslateWithinLimit(text, changed);
    if (result) return std::move(*result);
    changed = false;
    return std::string(text);
}

std::optional<std::string> LangSection::TranslateWithinLimit(std::string_view text, bool& changed) const {
    changed = false;
    std::string result;
    const auto append = [&result](std::string_view piece) {
        if (piece.size() > kMaxTranslationLength - result.size()) return false;
        result.append(piece);
        return true;
    };
    std::size_t copied = 0; // text before this offset is in result
    std::size_t open = text.find('{');
    while (open != std::string_view::npos) {
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) break;
        const std::optional<std::string_view> value = Lookup(text.substr(open + 1, close - open - 1));
        if (value && !value->empty()) {
            if (!append(text.substr(copied, open - copied)) || !append(*value)) return std::nullopt;
            copied = close + 1;
            changed = true;
        }
        open = text.find('{', close);
    }
    if (!append(text.substr(copied))) return std::nullopt;
    return result;
}
