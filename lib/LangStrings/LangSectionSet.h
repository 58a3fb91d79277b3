#pragma once
// LangSectionSet: the lookup context of one language, an ordered list of its sections.
// Lookups and translations try the sections in list order. Sections are added only during
// the language start-up (under the wedge's locks); afterwards the set is read-only and any
// thread may look up and translate.
#include "lib/LangStrings/LangFile/ResourceTranslation.h"
#include "lib/LangStrings/LangSection.h"
#include "lib/LangStrings/LanguageStore.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LangSectionSet : public TextLookup {
public:
    // Loads the language's store (LoadLanguageFile); the list starts empty.
    explicit LangSectionSet(std::uint16_t language);
    explicit LangSectionSet(std::shared_ptr<const LanguageStore> store);

    // Adds the section of that name: just before the first section of the same name (in
    // upper case) when the set holds one, else at the end. Answers true. Throws
    // LangStrings::section_not_found and then leaves the set unchanged.
    bool AddSection(std::string_view name);
    // The set's section of that name, else a new one that is not added. Throws
    // LangStrings::section_not_found.
    std::shared_ptr<const LangSection> GetSection(std::string_view name) const;
    const std::vector<std::shared_ptr<const LangSection>>& Sections() const { return sections_; }

    // The first section's text for the key, or nothing.
    std::optional<std::string_view> Lookup(std::string_view key) const override;
    // The text passed through every section's translation in list order. When one of them
    // would pass LangSection::kMaxTranslationLength, the text comes back as given.
    std::string Translate(std::string_view text, bool& changed) const override;
    std::string Translate(std::string_view text) const;

#ifdef _WIN32
    // The program's own message box for a system message-box style (texts translated, button
    // captions from the language); the system's box when that fails. Defined with the wedge.
    int MsgBox(struct HWND__* owner, const char* text, const char* caption, unsigned style) const;
#endif

    std::uint16_t Language() const { return store_->Language(); }
    std::uint32_t CodePage() const { return store_->CodePage(); }
    const std::shared_ptr<const LanguageStore>& Store() const { return store_; }

private:
    std::shared_ptr<const LanguageStore> store_;
    std::vector<std::shared_ptr<const LangSection>> sections_;
};
