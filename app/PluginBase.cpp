#include "app/PluginBase.h"

namespace {

// The application area's path below HKEY_CURRENT_USER until the configuration file
// supplies it.
const char kProvisionalRegistryBase[] = "Software\\Fennel";

} // namespace

std::string PluginBase::ProgramFolder() {
    char path[MAX_PATH + 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
    std::string folder(path, n <= MAX_PATH ? n : 0);
    const std::size_t slash = folder.rfind('\\');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    if (folder.empty()) {
        char current[MAX_PATH + 1] = {};
        const DWORD m = GetCurrentDirectoryA(sizeof current, current);
        folder.assign(current, m <= MAX_PATH ? m : 0);
    }
    return folder;
}

bool PluginBase::Initialise(HINSTANCE) {
    const std::string folder = ProgramFolder();
    try {
        SetRegistryBase(kProvisionalRegistryBase);
        {
            UniqueRegKey area;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, RegistryBase().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, area.put(), nullptr) != ERROR_SUCCESS) {
                throw init_failure("");
            }
        }
        SetBurnResults(-3);
    } catch (const init_failure& failure) {
        const std::string text = "Unable to initialize plugin '" + folder + "'.  " + failure.what();
        MessageBoxA(nullptr, text.c_str(), "Error", MB_OK);
        return false;
    }
    return true;
}
