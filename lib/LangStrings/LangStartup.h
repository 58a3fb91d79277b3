#pragma once
// The language start-up of the program: picks the language, opens or builds its shared
// string store and fills g_WedgeImpl, so that every later text appears in that language.
// Runs once on the main thread before any window exists.
#include <cstdint>
#include <optional>
#include <string>

// Runs the start-up with all of g_WedgeImpl's locks held. Answers nothing on success, or
// the text that explains why the program cannot run (g_WedgeImpl then stays inactive).
// Throws the failures of LoadLanguageFile (after they have been shown) and
// LangStrings::section_not_found when the language has no "Shared" section but needs it.
std::optional<std::string> InitLanguage(std::uint16_t requested, const std::string& folder,
                                        const std::string& prefix, const std::string& extension);

// The entry of the program's start-up: InitLanguage, its text handed back in errorText
// (empty on success); on success the extra section (when named) and "Shared" are added to
// the lookup context. A language without one of those sections fails with a text too.
// Answers the language identifier that g_WedgeImpl holds. requested 0 means the user's
// language. Throws what InitLanguage throws.
std::uint16_t StartLocalisation(void* module, std::uint16_t requested, const std::string& folder,
                                const std::string& prefix, const std::string& extension,
                                const std::string& extraSection, std::string& errorText);
