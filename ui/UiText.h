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
// A track's path or text widened: UTF-8 when the playlist was, else as Wide does.
std::wstring TrackWide(const std::string& text, bool utf8);
// The same text in the language's code page, for the language's formats ('?' for what
// the code page lacks).
std::string TrackNarrow(const std::string& text, bool utf8);
// Sets the window's text from a language text.
void SetText(HWND window, const std::string& text);

} // namespace uitext
