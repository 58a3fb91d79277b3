#include "lib/ResourceWedge/WedgeStartup.h"

#include "lib/LangStrings/ActiveLanguage.h"
#include "lib/LangStrings/LangStartup.h"
#include "lib/ResourceWedge/WedgeImpl.h"

namespace {

// Runs under the caller's WedgeImpl::AllLocks. The code pages go to the language library,
// whose record the wedge reads them from.
void HandOver(const LanguageSetup& setup) {
    ActiveLanguage::Record(setup);
    g_WedgeImpl.SetUserLanguage(setup.userLanguage);
    if (!setup.context) return;
    g_WedgeImpl.SetLookupContext(setup.context);
    g_WedgeImpl.SetLanguageId(setup.context->Language());
    g_WedgeImpl.SetInitialized(setup.ready);
}

} // namespace

std::uint16_t StartLocalisation(std::uint16_t requested, const std::string& folder, const std::string& prefix,
                                const std::string& extension, const std::string& extraSection,
                                std::string& errorText) {
    errorText.clear();
    WedgeImpl::AllLocks locks(g_WedgeImpl);
    LanguageSetup setup;
    try {
        StartLanguage(setup, requested, folder, prefix, extension, extraSection);
    } catch (...) {
        HandOver(setup);
        throw;
    }
    HandOver(setup);
    errorText = setup.errorText;
    return g_WedgeImpl.LanguageId();
}
