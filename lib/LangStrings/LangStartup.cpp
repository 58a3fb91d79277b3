#include "lib/LangStrings/LangStartup.h"

#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangStrings.h"

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

void InitLanguage(LanguageSetup& setup, std::uint16_t requested, const std::string& folder,
                  const std::string& prefix, const std::string& extension) {
    setup.userLanguage = GetUserUILanguage(kCurrentUser);
    setup.fallbackCodePage = SystemCodePage(setup.userLanguage);
    if (requested == 0) requested = setup.userLanguage;

    ConfigureLanguageFiles(folder, prefix, extension);
    const std::uint16_t chosen = ChooseLanguage(requested, ListLanguageFiles(), setup.userLanguage);
    if (chosen == 0) {
        setup.errorText = "Unable to run this program: no language files were found.";
        return;
    }

    setup.context = std::make_shared<LangSectionSet>(chosen);
    const LangSectionSet& context = *setup.context;
    if (!SystemShowsLanguage(context.Language(), context.CodePage(), setup.userLanguage)) {
        const auto text = context.GetSection("Shared")->Lookup(LangStrings::kNoOsLanguageSupport);
        if (text && !text->empty()) {
            setup.errorText = *text;
        } else {
            setup.errorText = "Unable to run this program: this system cannot show the texts of language " +
                              std::to_string(context.Language()) + ".";
        }
        return;
    }
    setup.ready = true;
}

void StartLanguage(LanguageSetup& setup, std::uint16_t requested, const std::string& folder,
                   const std::string& prefix, const std::string& extension,
                   const std::string& extraSection) {
    InitLanguage(setup, requested, folder, prefix, extension);
    if (!setup.ready) return;
    std::string section = extraSection;
    try {
        if (!section.empty()) setup.context->AddSection(section);
        section = "Shared";
        setup.context->AddSection(section);
    } catch (const LangStrings::section_not_found&) {
        setup.ready = false;
        setup.errorText = "Unable to run this program: the language file '" + setup.context->Store()->Path() +
                          "' has no section [" + section + "].";
    }
}
