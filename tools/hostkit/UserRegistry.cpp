#include "tools/hostkit/UserRegistry.h"

#include "support/UniqueHandle.h"

#include <algorithm>

namespace hostkit {

namespace {

UniqueRegKey Open(const std::string& keyPath, REGSAM access) {
    UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, access, key.put()) != ERROR_SUCCESS) {
        return UniqueRegKey();
    }
    return key;
}

UniqueRegKey Create(const std::string& keyPath) {
    UniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return UniqueRegKey();
    }
    return key;
}

} // namespace

std::optional<DWORD> ReadDword(const std::string& keyPath, const std::string& valueName) {
    UniqueRegKey key = Open(keyPath, KEY_READ);
    if (!key) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ReadString(const std::string& keyPath, const std::string& valueName) {
    UniqueRegKey key = Open(keyPath, KEY_READ);
    if (!key) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::string text(size, '\0');
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(std::min<std::size_t>(size, text.size()));
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool WriteDword(const std::string& keyPath, const std::string& valueName, DWORD value) {
    UniqueRegKey key = Create(keyPath);
    return key && RegSetValueExA(key.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof value) == ERROR_SUCCESS;
}

bool WriteString(const std::string& keyPath, const std::string& valueName, const std::string& value) {
    UniqueRegKey key = Create(keyPath);
    return key && RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteValue(const std::string& keyPath, const std::string& valueName) {
    UniqueRegKey key = Open(keyPath, KEY_SET_VALUE);
    return key && RegDeleteValueA(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool DeleteKeyTree(const std::string& keyPath) {
    const LSTATUS status = RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool KeyExists(const std::string& keyPath) { return static_cast<bool>(Open(keyPath, KEY_READ)); }

bool CreateKey(const std::string& keyPath) { return static_cast<bool>(Create(keyPath)); }

std::vector<std::string> ValueNames(const std::string& keyPath) {
    std::vector<std::string> names;
    UniqueRegKey key = Open(keyPath, KEY_READ);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SubkeyNames(const std::string& keyPath) {
    std::vector<std::string> names;
    UniqueRegKey key = Open(keyPath, KEY_READ);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace hostkit
