#pragma once
// Control of the native build's stand-in for the system services of LangPlatform.h: the
// registry's user-locale texts, the locale code pages, and the messages that would have
// been shown in the system's message box. Code pages and lead bytes come from iconv.
#include <cstdint>
#include <string>
#include <vector>

namespace langplatform::testing {

struct Settings {
    std::string userLocale[2] = {"00000409", "00000409"}; // registry texts per context
    std::uint32_t userAnsiCodePage = 1252;
    std::uint32_t userOemCodePage = 437;
    std::uint32_t systemAnsiCodePage = 1252;
    std::uint32_t systemOemCodePage = 437;
};

// The settings the stand-in answers from; tests change them and restore them.
Settings& CurrentSettings();
// Texts given to ShowSystemMessage, "caption|text", oldest first.
std::vector<std::string>& ShownMessages();

} // namespace langplatform::testing
