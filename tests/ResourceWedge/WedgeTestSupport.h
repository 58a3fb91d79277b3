#pragma once
// Shared by the wedge tests: the test language files (English, French, Japanese) and the
// language start-up in French.
#include <string>

namespace wedgetest {

// Windows path of the folder holding FN1033.lng, FN1036.lng and FN1041.lng (written once).
std::string LanguageFolder();
// Starts the localisation in French (once per process); false with a test failure when it
// doesn't come up.
bool StartFrench();
// Windows path of the build tree's artifacts folder (created).
std::string ArtifactsFolder();

} // namespace wedgetest
