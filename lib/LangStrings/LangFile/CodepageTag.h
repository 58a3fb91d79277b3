#pragma once
// CodepageTag: '<CODEPAGE number>', the code page of a language file's strings. Also the
// table of code pages that suit each language identifier.
#include "lib/LangStrings/LangFile/LanguageTag.h"

#include <cstdint>
#include <span>

class CodepageTag : public LanguageTag {
public:
    explicit CodepageTag(std::uint32_t codePage)
        : LanguageTag(kCodepage, false, false), codePage_(codePage) {}

    std::uint32_t CodePage() const { return codePage_; }

private:
    std::uint32_t codePage_;
};

struct CodepageLanguage {
    std::uint32_t codePage;
    std::uint16_t language;
};

// True when the pair (code page, full language identifier) is in the compatibility table.
bool CodepageMatchesLanguage(std::uint32_t codePage, std::uint16_t language);

// The compatibility table, sorted by code page, then language.
std::span<const CodepageLanguage> CodepageLanguageTable();
