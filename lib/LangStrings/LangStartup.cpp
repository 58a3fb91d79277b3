#include "lib/LangStrings/LangStartup.h"

#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/WedgeImpl.h"

namespace {

constexpr std::uint16_t kEnglishUs = 0x0409;

// The system's code page: the system locale's ANSI, else OEM code page, else the ANSI code
// page of the user's language.
std::uint32_t SystemCodePage(std::uint16_t userLanguage) {
    using langplatform::Locale;
    for (bool oem : {false, true}) {
        const std::uint32_t codePage = langplatform::LocaleCodePage(Locale::kSystemDefault, oem);
        if (codePage > 2) return codePage;
    }
    return langplatform::AnsiCodePageOfLanguage(userLanguage);
}

bool SystemShowsLanguage(std::uint16_t language, std::uint32_t codePage,
                         std::uint16_t userLanguage) {
    if (language == kEnglishUs || language == userLanguage ||
        language == GetUserUILanguage(kDefaultUser)) {
        return true;
    }
    return codePage == GetOSCodepage(kCurrentUser) || codePage == GetOSCodepage(kDefaultUser);
}

} // namespace

std::optional<std::string> InitLanguage(std::uint16_t requested, const std::string& folder,
                                        const std::string& prefix, const std::string& extension) {
    WedgeImpl::AllLocks locks(g_WedgeImpl);
    const std::uint16_t userLanguage = GetUserUILanguage(kCurrentUser);
    g_WedgeImpl.SetUserLanguage(userLanguage);
    g_WedgeImpl.SetFallbackCodePage(SystemCodePage(userLanguage));
    if (requested == 0) requested = userLanguage;

    ConfigureLanguageFiles(folder, prefix, extension);
    const std::uint16_t chosen = ChooseLanguage(requested, ListLanguageFiles(), userLanguage);
    if (chosen == 0) return std::string("Unable to run this program: no language files were found.");

    auto context = std::make_shared<LangSectionSet>(chosen);
    g_WedgeImpl.SetLookupContext(context);
    g_WedgeImpl.SetLanguageId(context->Language());
    g_WedgeImpl.SetLanguageCodePage(context->CodePage());

    if (!SystemShowsLanguage(context->Language(), context->CodePage(), userLanguage)) {
        const auto text = context->GetSection("Shared")->Lookup(LangStrings::kNoOsLanguageSupport);
        if (text && !text->empty()) return std::string(*text);
        return std::string("Unable to run this program: this system cannot show the texts of "
                           "language ") +
               std::to_string(context->Language()) + ".";
    }
    g_WedgeImpl.SetInitialized(true);
    return std::nullopt;
}

std::uint16_t StartLocalisation(void* /*module*/, std::uint16_t requested,
                                const std::string& folder, const std::string& prefix,
                                const std::string& extension, const std::string& extraSection,
                                std::string& errorText) {
    errorText.clear();
    if (std::optional<std::string> failure = InitLanguage(requested, folder, prefix, extension)) {
        errorText = *failure;
        return g_WedgeImpl.LanguageId();
    }
    WedgeImpl::AllLocks locks(g_WedgeImpl);
    const std::shared_ptr<LangSectionSet> context = g_WedgeImpl.LookupContext();
    std::string section = extraSection;
    try {
        if (!section.empty()) context->AddSection(section);
        section = "Shared";
        context->AddSection(section);
    } catch (const LangStrings::section_not_found&) {
        g_WedgeImpl.SetInitialized(false);
        errorText = "Unable to run this program: the language file '" + context->Store()->Path() +
                    "' has no section [" + section + "].";
    }
    return g_WedgeImpl.LanguageId();
}
