#pragma once
// Language texts on windows: the program's texts are single-byte in the language's code
// page (which need not be the system's), so they are widened with that code page and set
// with the wide calls. File and drive names are in the system's code page (or UTF-8 where the
// playlist was), so they are widened with theirs and put into a language text wide. Any
// thread; no state.
#include <windows.h>

#include <string>

namespace uitext {

// Stands for a name in a formatted language text until WithName puts the name in, wide.
inline constexpr char kNameMark[] = "\x01";

// The code page of the language's texts; 0 before localisation is up.
UINT LanguageCodePage();
// The text widened with the language's code page (the system's before localisation is up).
std::wstring Wide(const std::string& text);
// A file or drive name widened: UTF-8 when the playlist was, else the system's code page.
std::wstring NameWide(const std::string& name, bool utf8 = false);
// The formatted language text widened, with the name in place of each kNameMark.
std::wstring WithName(const std::string& formatted, const std::wstring& name);
// Sets the window's text from a language text, or from a wide text.
void SetText(HWND window, const std::string& text);
void SetText(HWND window, const std::wstring& text);

} // namespace uitext
