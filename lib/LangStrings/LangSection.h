#pragma once
// LangSection: the strings of one section of a language, as an ordered map from key to
// text. Both point into the shared store (zero-terminated there); the map is filled once at
// construction and read-only afterwards, so any thread may look up and translate.
#include "lib/LangStrings/LanguageStore.h"
#include "lib/LangStrings/StoreLayout.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class LangSection {
public:
    // Loads the first section whose name equals name in upper case. Throws
    // LangStrings::section_not_found.
    LangSection(std::shared_ptr<const LanguageStore> store, std::string name);

    const std::string& Name() const { return name_; }
    std::size_t Size() const { return strings_.size(); }

    // The text of a key: blanks around it, one leading '{' and one trailing '}' are
    // ignored; keys are case-sensitive. The text stays valid while the section lives.
    std::optional<std::string_view> Lookup(std::string_view key) const;
    // No translation comes out longer than this many bytes (the longest stored text).
    static constexpr std::size_t kMaxTranslationLength = store::kMaxTextLength;

    // The text with every '{KEY}' whose text exists and is not empty replaced by it, in one
    // pass (an inserted text is not translated again). A result that would pass
    // kMaxTranslationLength is not made: the text comes back as given, changed false.
    std::string Translate(std::string_view text, bool& changed) const;
    // The same translation, or nothing when its result would pass kMaxTranslationLength.
    std::optional<std::string> TranslateWithinLimit(std::string_view text, bool& changed) const;

private:
    std::shared_ptr<const LanguageStore> store_;
    std::string name_;
    std::map<std::string_view, std::string_view, std::less<>> strings_;
};
