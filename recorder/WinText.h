#pragma once
// WinText: conversions between UTF-8 and UTF-16, system error texts, and the path helpers
// the engine needs (folder of a path, joining, creating folders). Stateless; any thread.
#include <windows.h>

#include <string>

class WinText {
public:
    // Invalid input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD; throws
    // convert_wstring_failed / convert_string_failed when the system refuses the text.
    static std::wstring Wide(const std::string& utf8);
    static std::string Utf8(const std::wstring& wide);
    // "The system cannot find the path specified. (error 3)"
    static std::string SystemMessage(DWORD error);

    static std::wstring FolderOf(const std::wstring& path);
    static std::wstring FileNameOf(const std::wstring& path);
    static std::wstring Join(const std::wstring& folder, const std::wstring& name);
    static bool IsAbsolute(const std::wstring& path);
    // %NAME% expanded; on failure the text unchanged.
    static std::wstring ExpandEnvironment(const std::wstring& text);
    // Creates folder and its missing parents; false with the system error left in GetLastError().
    static bool CreateFolders(const std::wstring& folder);
    static bool FileExists(const std::wstring& path);
    // The file's extension without the dot, upper case ("WAV"); empty when it has none.
    static std::wstring Extension(const std::wstring& path);
};
