#pragma once
// The program's language start-up as the wedge sees it: StartLanguage run with all of
// g_WedgeImpl's locks held, and what it found handed to g_WedgeImpl, so that the values
// become visible to the wedge's other threads together. Main thread, once, before any window.
#include <cstdint>
#include <string>

// Answers the language identifier that g_WedgeImpl holds afterwards and, in errorText, why
// the program cannot run (empty on success; g_WedgeImpl then stays inactive). requested 0
// means the user's language. Throws what StartLanguage throws, after handing over what it
// had found.
std::uint16_t StartLocalisation(std::uint16_t requested, const std::string& folder, const std::string& prefix,
                                const std::string& extension, const std::string& extraSection,
                                std::string& errorText);
