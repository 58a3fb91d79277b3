#include "app/PluginBase.h"

#include "app/ConfigurationPath.h"
#include "app/DiscCheck.h"
#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/WedgeStartup.h"

#include <exception>

namespace {

constexpr DWORD kPathBuffer = 262;

std::string CurrentDirectory() {
    char current[kPathBuffer] = {};
    const DWORD n = GetCurrentDirectoryA(kPathBuffer, current);
    return std::string(current, n < kPathBuffer ? n : 0);
}

} // namespace

PluginBase::PluginBase() = default;
PluginBase::~PluginBase() = default;

std::string PluginBase::ProgramFolder() {
    char path[kPathBuffer] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, kPathBuffer);
    // A path cut to the buffer names no folder we could trust: use the current one.
    const std::string executable(path, n < kPathBuffer ? n : 0);
    return ConfigurationPath::Folder(executable, CurrentDirectory);
}

std::string PluginBase::FailureText(const std::string& folder, const std::string& reason) {
    return "Unable to initialize plugin '" + folder + "'.  " + reason;
}

void PluginBase::Start(const std::string& folder) {
    // Language first: every later text, box and dialog appears in it.
    std::string localisationError;
    std::uint16_t language = 0;
    try {
        language = StartLocalisation(GetUserUILanguage(kCurrentUser), folder, "FN", "lng", std::string(),
                                     localisationError);
    } catch (const std::exception& e) {
        // A language file that can't be loaded (already reported by the loader) fails the
        // start-up like any other localisation error.
        throw init_failure(e.what());
    }
    if (!localisationError.empty()) throw init_failure(localisationError);
    if (language == 0) throw init_failure("");

    const std::string path = ConfigurationPath::File(folder);
    if (!configuration_.Read(path.c_str(), BuiltInPublicKey())) {
        throw init_failure("Unable to read certificate file '" + path + "'.");
    }

    const std::string registryBase = settings_.RegistryBase();
    if (registryBase.empty()) throw init_failure("Plugin_RegistryBase not defined in certificate");
    SetRegistryBase(registryBase);

    {
        UniqueRegKey area;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, RegistryBase().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, area.put(), nullptr) != ERROR_SUCCESS) {
            throw init_failure("");
        }
        SetBurnResults(BurnResult::Started);
    }
}

bool PluginBase::Initialise(HINSTANCE) {
    const std::string folder = ProgramFolder();
    try {
        Start(folder);
    } catch (const init_failure& failure) {
        MessageBoxA(nullptr, FailureText(folder, failure.what()).c_str(), "Error", MB_OK);
        return false;
    }
    return true;
}

void PluginBase::GetFieldAsText(const char* name, std::string& out) { configuration_.GetFieldAsText(name, out); }

std::int32_t PluginBase::GetFieldAsNumber(const char* name) { return configuration_.GetFieldAsNumber(name); }

std::int32_t PluginBase::ChooseWriteSpeed(PluginSettings::SpeedDevice& device, std::int32_t limit, int mode) {
    return PluginSettings::ChooseWriteSpeed(device, limit, mode);
}

HRESULT PluginBase::CheckDisc(HWND owner, bool ask, bool& erase) {
    return DiscCheck::CheckDisc(*this, owner, ask, erase);
}
