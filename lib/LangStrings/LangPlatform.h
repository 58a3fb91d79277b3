#pragma once
// The system services that the language start-up and the store fill need: locale and
// code-page queries, the registry's user locale, the language files on disk, the real
// system message box. The Windows build answers them through Win32; the native build has
// a controllable stand-in (LangPlatformDouble.h) so the portable code is tested natively,
// double-byte code pages included. Any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace langplatform {

// True when byte is a lead byte of a double-byte character in codePage.
bool IsLeadByte(std::uint32_t codePage, unsigned char byte);
// The no-break space (U+00A0) in codePage; empty when the code page has none.
std::string NoBreakSpace(std::uint32_t codePage);
// The ANSI code page of a language identifier; 0 for language 0 or an unknown one.
std::uint32_t AnsiCodePageOfLanguage(std::uint16_t language);

enum class Locale { kUserDefault, kSystemDefault };
// A locale's ANSI (oem false) or OEM code page; 0 when the query fails.
std::uint32_t LocaleCodePage(Locale locale, bool oem);
// True when conversions may use codePage (a system that knows it).
bool IsUsableCodePage(std::uint32_t codePage);

// The user-locale text of the registry: context 0 the current user, 1 the default user
// profile. Empty when the key or value cannot be read.
std::string ReadUserLocale(int context);

// folder + name with one path separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// Names (without folder) of the files folder/*.extension; none for an empty folder.
std::vector<std::string> FindFiles(const std::string& folder, const std::string& extension);
// Keeps the file open for reading until the process ends, so it cannot be deleted.
void HoldFileOpen(const std::string& path);

struct FileProbe {
    bool opened = false;
    std::optional<std::uint64_t> size; // absent when the size cannot be read
};
// Opens the file for reading (others may read it too) and reads its size.
FileProbe ProbeFile(const std::string& path);

// The system's own message box (never a replaced one), without owner, OK button only.
void ShowSystemMessage(const std::string& caption, const std::string& text);
// Destroys a window-system accelerator table; null does nothing.
void DestroyAcceleratorHandle(void* table);

} // namespace langplatform
