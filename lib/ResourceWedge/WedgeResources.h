#pragma once
// What the replacements share: the wedge's find-and-load of a resource in the loaded
// language (the translated copy when there is one) and the text of a string-table entry.
#include "lib/ResourceWedge/ResourceCache.h"

#include <windows.h>

#include <optional>
#include <string>

namespace ResourceWedge {

// FindResourceEx of the wedge with its language, then the copy or the module's bytes.
FoundResource FindAndLoad(HMODULE module, LPCSTR type, LPCSTR name);
FoundResource FindAndLoad(HMODULE module, LPCWSTR type, LPCWSTR name);

// The string-table entry of id in the loaded language; nothing for an id without a string.
std::optional<std::wstring> LoadStringTextW(HINSTANCE instance, UINT id);
// The same in the conversion code page; nothing when the code page refuses the text too.
std::optional<std::string> LoadStringTextA(HINSTANCE instance, UINT id);

// The wedge's message box: the program's own box while a lookup context exists, else the
// system's in the wedge's language. Boxes of several threads show one at a time.
int WedgeMessageBox(HWND owner, const char* text, const char* caption, UINT style);

} // namespace ResourceWedge
