#pragma once
// Language texts on windows: the program's texts are single-byte in the language's code
// page (which need not be the system's), so they are widened with that code page and set
// with the wide calls. Any thread; no state.
#include <windows.h>

#include <string>

namespace uitext {

// The code page of the language's texts; 0 before localisation is up.
UINT LanguageCodePage();
// The text widened with the language's code page (the system's before localisation is up).
std::wstring Wide(const std::string& text);
// Sets the window's text from a language text.
void SetText(HWND window, const std::string& text);

} // namespace uitext
