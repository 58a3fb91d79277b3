#pragma once
// Shared by the wedge tests: the language start-up in French from the test language files
// (English, French, Japanese).

namespace wedgetest {

// Starts the localisation in French (once per process); false with a test failure when it
// doesn't come up.
bool StartFrench();

} // namespace wedgetest
