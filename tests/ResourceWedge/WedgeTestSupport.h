#pragma once
// Shared by the wedge tests: the test language files (English, French, Japanese), the
// language start-up in French, and reading window texts as wide text.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace wedgetest {

// Windows path of the folder holding FN1033.lng, FN1036.lng and FN1041.lng (written once).
std::string LanguageFolder();
// Starts the localisation in French (once per process); false with a test failure when it
// doesn't come up.
bool StartFrench();
// Windows path of the build tree's artifacts folder (created).
std::string ArtifactsFolder();

std::wstring WideText(HWND window);
// The box's buttons (identifier, caption) in reading order.
std::vector<std::pair<int, std::wstring>> ButtonTexts(HWND box);

} // namespace wedgetest
