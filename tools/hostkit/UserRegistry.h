#pragma once
// Registry access below HKEY_CURRENT_USER: read, write and delete values and
// whole keys. Paths are relative to HKCU, with backslashes.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace hostkit {

std::optional<DWORD> ReadDword(const std::string& keyPath, const std::string& valueName);
std::optional<std::string> ReadString(const std::string& keyPath, const std::string& valueName);
bool WriteDword(const std::string& keyPath, const std::string& valueName, DWORD value);
bool WriteString(const std::string& keyPath, const std::string& valueName, const std::string& value);
bool DeleteValue(const std::string& keyPath, const std::string& valueName);
// Deletes the key with everything below it; true also when it did not exist.
bool DeleteKeyTree(const std::string& keyPath);
bool KeyExists(const std::string& keyPath);
bool CreateKey(const std::string& keyPath);
// Names of the key's values and of its subkeys, each sorted.
std::vector<std::string> ValueNames(const std::string& keyPath);
std::vector<std::string> SubkeyNames(const std::string& keyPath);

} // namespace hostkit
