// The system services of the language start-up, answered through Win32.
#include "lib/LangStrings/LangPlatform.h"

#include "support/UniqueHandle.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>

namespace {

bool IsNtFamily() {
    static const bool nt = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return nt;
}

bool IsNt5OrLater() {
    static const bool nt5 = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
               version.dwMajorVersion >= 5;
    }();
    return nt5;
}

std::uint32_t LocaleNumber(LCID locale, LCTYPE type) {
    char buffer[6] = {};
    if (GetLocaleInfoA(locale, type, buffer, sizeof buffer) == 0) return 0;
    return static_cast<std::uint32_t>(std::strtoul(buffer, nullptr, 10));
}

// Handles of the language files kept open until the process ends.
struct HeldFiles {
    std::mutex lock;
    std::vector<UniqueFile> files;
};

HeldFiles& Held() {
    static HeldFiles held;
    return held;
}

} // namespace

namespace langplatform {

bool IsLeadByte(std::uint32_t codePage, unsigned char byte) {
    return byte >= 0x80 && IsDBCSLeadByteEx(codePage, byte) != FALSE;
}

std::string NoBreakSpace(std::uint32_t codePage) {
    const wchar_t noBreakSpace[] = L"\u00A0";
    char buffer[8];
    BOOL usedDefault = FALSE;
    const bool utf = codePage == CP_UTF7 || codePage == CP_UTF8;
    const int length = WideCharToMultiByte(codePage, 0, noBreakSpace, 1, buffer, sizeof buffer,
                                           nullptr, utf ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::uint32_t AnsiCodePageOfLanguage(std::uint16_t language) {
    if (language == 0) return 0;
    return LocaleNumber(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE);
}

std::uint32_t LocaleCodePage(Locale locale, bool oem) {
    const LCID lcid = locale == Locale::kUserDefault ? LOCALE_USER_DEFAULT : LOCALE_SYSTEM_DEFAULT;
    return LocaleNumber(lcid, oem ? LOCALE_IDEFAULTCODEPAGE : LOCALE_IDEFAULTANSICODEPAGE);
}

bool IsUsableCodePage(std::uint32_t codePage) {
    return IsNt5OrLater() && IsValidCodePage(codePage);
}

std::string ReadUserLocale(int context) {
    const bool nt = IsNtFamily();
    std::string key = nt ? "Control Panel\\International" : "Control Panel\\desktop\\ResourceLocale";
    HKEY root = HKEY_CURRENT_USER;
    if (context == 1) {
        root = HKEY_USERS;
        key = ".Default\\" + key;
    }
    UniqueRegKey opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return {};
    char buffer[33] = {};
    DWORD size = 32;
    DWORD type = 0;
    if (RegQueryValueExA(opened.get(), nt ? "Locale" : nullptr, nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return {};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    return std::string(buffer, strnlen(buffer, size));
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

std::vector<std::string> FindFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(FindFirstFileA(JoinPath(folder, "*." + extension).c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

void HoldFileOpen(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    HeldFiles& held = Held();
    std::lock_guard<std::mutex> guard(held.lock);
    held.files.push_back(std::move(file));
}

FileProbe ProbeFile(const std::string& path) {
    FileProbe probe;
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return probe;
    probe.opened = true;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart >= 0) {
        probe.size = static_cast<std::uint64_t>(size.QuadPart);
    }
    return probe;
}

void ShowSystemMessage(const std::string& caption, const std::string& text) {
    using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    HMODULE user32 = GetModuleHandleA("user32");
    if (user32 == nullptr) user32 = LoadLibraryA("user32.dll");
    if (user32 == nullptr) return;
    const auto show = reinterpret_cast<MessageBoxFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")));
    if (show) show(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void DestroyAcceleratorHandle(void* table) {
    if (table) DestroyAcceleratorTable(static_cast<HACCEL>(table));
}

} // namespace langplatform
