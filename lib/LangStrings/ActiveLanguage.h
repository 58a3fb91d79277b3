#pragma once
// ActiveLanguage: the code pages of the language the program shows, process-wide: the
// language's own and the system's (the fallback), and whether the start-up found a language
// it can show. The program's start-up records what it found; whatever converts the
// language's texts asks for the conversion code page here. Any thread: each value is atomic,
// and the start-up records them on the main thread before any window exists.
#include "lib/LangStrings/LangStartup.h"

#include <cstdint>

namespace ActiveLanguage {

// Takes the code pages from what the start-up found; the language counts as shown when the
// start-up found it ready.
void Record(const LanguageSetup& setup);
void SetLanguageCodePage(std::uint32_t codePage);
void SetFallbackCodePage(std::uint32_t codePage);
// Forgets everything (tests start from a fresh state with it).
void Clear();

std::uint32_t LanguageCodePage();
std::uint32_t FallbackCodePage();
// The code page for conversions to single-byte text: the language's when the system can
// use it, else the fallback.
std::uint32_t ConversionCodePage();
// ConversionCodePage while a language is shown; 0 before the start-up has found one.
std::uint32_t ShownCodePage();

} // namespace ActiveLanguage
