#include "app/RegistryResults.h"

#include <stdexcept>

namespace {

constexpr REGSAM kReadWrite = 0x2001F; // KEY_READ | KEY_WRITE
const char kTrackResults[] = "TrackResults";
const char kOptions[] = "Options";
const char kLevelLoudness[] = "LevelLoudness";

void WriteDword(HKEY key, const char* name, std::int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

// Deletes parent\name and all below it, deepest keys first. False as soon as one key
// cannot be deleted; what could not be reached stays in place.
bool DeleteKeyDepthFirst(HKEY parent, const char* name) {
    {
        UniqueRegKey key;
        if (RegOpenKeyExA(parent, name, 0, kReadWrite, key.put()) != ERROR_SUCCESS) return false;
        for (;;) {
            char child[256];
            DWORD length = sizeof child;
            if (RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (!DeleteKeyDepthFirst(key.get(), child)) return false;
        }
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

} // namespace

UniqueRegKey RegistryResults::OpenApplicationArea(HKEY root) const {
    UniqueRegKey area;
    if (RegCreateKeyExA(root, registryBase_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        area.put(), nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("Unable to access application area of registry.");
    }
    return area;
}

void RegistryResults::WriteValue(const char* name, std::int32_t value) const {
    UniqueRegKey area = OpenApplicationArea();
    WriteDword(area.get(), name, value);
}

void RegistryResults::SetBurnResults(BurnResult result) const { WriteValue("BurnResults", ValueOf(result)); }
void RegistryResults::SetEngineCheckResult(EngineCheckResult result) const {
    WriteValue("EngineCheckResult", ValueOf(result));
}
void RegistryResults::SetMediaTimeAvailable(std::int32_t seconds) const { WriteValue("MediaTimeAvailable", seconds); }
void RegistryResults::SetMediaType(std::int32_t type) const { WriteValue("MediaType", type); }

bool RegistryResults::LevelLoudness() const {
    UniqueRegKey options;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (registryBase_ + "\\" + kOptions).c_str(), 0, KEY_READ, options.put()) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(options.get(), kLevelLoudness, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && value != 0;
}

void RegistryResults::SetLevelLoudness(bool level) const {
    UniqueRegKey area = OpenApplicationArea();
    UniqueRegKey options;
    if (RegCreateKeyExA(area.get(), kOptions, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, options.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    WriteDword(options.get(), kLevelLoudness, level ? 1 : 0);
}

void RegistryResults::SetTrackResult(std::uint32_t position, TrackResult result) const {
    UniqueRegKey area = OpenApplicationArea();
    UniqueRegKey tracks;
    if (RegCreateKeyExA(area.get(), kTrackResults, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        tracks.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    WriteDword(tracks.get(), std::to_string(position).c_str(), ValueOf(result));
}

void RegistryResults::ClearTrackResults() const {
    UniqueRegKey area = OpenApplicationArea();
    {
        UniqueRegKey tracks;
        if (RegOpenKeyExA(area.get(), kTrackResults, 0, kReadWrite, tracks.put()) != ERROR_SUCCESS) return;
        for (;;) {
            char child[256];
            DWORD length = sizeof child;
            if (RegEnumKeyExA(tracks.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (!DeleteKeyDepthFirst(tracks.get(), child)) return;
        }
    }
    RegDeleteKeyA(area.get(), kTrackResults);
}
