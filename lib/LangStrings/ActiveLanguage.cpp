#include "lib/LangStrings/ActiveLanguage.h"

#include "lib/LangStrings/LangPlatform.h"

#include <atomic>

namespace ActiveLanguage {

namespace {

// Constant-initialised and trivially destroyed: usable from any thread until the process ends.
std::atomic<std::uint32_t> g_languageCodePage{0};
std::atomic<std::uint32_t> g_fallbackCodePage{0};
std::atomic<bool> g_shown{false};

} // namespace

void Record(const LanguageSetup& setup) {
    g_fallbackCodePage = setup.fallbackCodePage;
    if (setup.context) g_languageCodePage = setup.context->CodePage();
    g_shown = setup.ready && setup.context;
}

void SetLanguageCodePage(std::uint32_t codePage) { g_languageCodePage = codePage; }
void SetFallbackCodePage(std::uint32_t codePage) { g_fallbackCodePage = codePage; }

void Clear() {
    g_shown = false;
    g_languageCodePage = 0;
    g_fallbackCodePage = 0;
}

std::uint32_t LanguageCodePage() { return g_languageCodePage; }
std::uint32_t FallbackCodePage() { return g_fallbackCodePage; }

std::uint32_t ConversionCodePage() {
    const std::uint32_t language = g_languageCodePage;
    return langplatform::IsUsableCodePage(language) ? language : g_fallbackCodePage.load();
}

std::uint32_t ShownCodePage() { return g_shown ? ConversionCodePage() : 0; }

} // namespace ActiveLanguage
