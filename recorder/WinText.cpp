#include "recorder/WinText.h"

#include <cwctype>

#include "string_ext.h"
#include "support/UniqueHandle.h"

std::wstring WinText::Wide(const std::string& utf8) { return convert_wstring(utf8, CP_UTF8); }

std::string WinText::Utf8(const std::wstring& wide) { return convert_string(wide, CP_UTF8); }

std::string WinText::SystemMessage(DWORD error) {
    UniqueLocalMemory buffer;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(static_cast<const wchar_t*>(buffer.get()), length) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    std::string result;
    if (try_convert_string(text, CP_UTF8, result) && !result.empty()) result += " "; // else the number alone
    return result + "(error " + std::to_string(error) + ")";
}

std::wstring WinText::FolderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring WinText::FileNameOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring WinText::Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    wchar_t last = folder.back();
    return (last == L'\\' || last == L'/') ? folder + name : folder + L"\\" + name;
}

bool WinText::IsAbsolute(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return true;
    return !path.empty() && (path[0] == L'\\' || path[0] == L'/');
}

std::wstring WinText::ExpandEnvironment(const std::wstring& text) {
    DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::wstring expanded(size, L'\0');
    DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    if (written == 0 || written > size) return text;
    expanded.resize(written - 1);
    return expanded;
}

bool WinText::CreateFolders(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    std::wstring parent = FolderOf(folder);
    if (parent != folder && parent != L"." && parent.size() > 2 && !CreateFolders(parent)) return false;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WinText::FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WinText::Extension(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    std::size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return {};
    std::wstring extension = name.substr(dot + 1);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towupper(c));
    return extension;
}
