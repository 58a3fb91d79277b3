#pragma once
// The language start-up of the program: picks the language, opens or builds its shared
// string store and reports what it found in a LanguageSetup, which the program hands to
// whatever shows its texts (the resource wedge). Runs once on the main thread before any
// window exists.
#include "lib/LangStrings/LangSectionSet.h"

#include <cstdint>
#include <memory>
#include <string>

// What the start-up found. Filled step by step: after a throw it holds what was found before.
struct LanguageSetup {
    std::uint16_t userLanguage = 0;
    std::uint32_t fallbackCodePage = 0; // the system's code page
    // The chosen language's lookup; null when no language file was found.
    std::shared_ptr<LangSectionSet> context;
    // True when the program can show the language; errorText says why not otherwise.
    bool ready = false;
    std::string errorText;
};

// Picks the language (requested 0 means the user's) and opens its store. Throws the
// failures of LoadLanguageFile (after they have been shown) and
// LangStrings::section_not_found when the language has no "Shared" section but needs it.
void InitLanguage(LanguageSetup& setup, std::uint16_t requested, const std::string& folder,
                  const std::string& prefix, const std::string& extension);

// The entry of the program's start-up: InitLanguage, then the extra section (when named)
// and "Shared" added to the lookup context; a language without one of them is not ready.
// Throws what InitLanguage throws.
void StartLanguage(LanguageSetup& setup, std::uint16_t requested, const std::string& folder,
                   const std::string& prefix, const std::string& extension,
                   const std::string& extraSection);
