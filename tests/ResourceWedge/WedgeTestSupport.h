#pragma once
// Shared by the wedge tests: the language start-up in French from the test language files
// (English, French, Japanese) and the build tree's artifacts folder.
#include <string>

namespace wedgetest {

// Starts the localisation in French (once per process); false with a test failure when it
// doesn't come up.
bool StartFrench();
// Windows path of the build tree's artifacts folder (created).
std::string ArtifactsFolder();

} // namespace wedgetest
