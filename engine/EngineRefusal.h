#pragma once
// Why the recording engine would not start, in its own words, so that an engine that is
// installed but refuses (a drive file it cannot use, say) can be told from a missing one.
// Any thread in a COM apartment; no state.
#include <windows.h>
#include <unknwn.h>

#include <string>

// The engine's error list, one "0x8004177B text" line per entry ("" when it has none). The
// texts of a refused drive file name its line.
std::string EngineErrorList(IUnknown* engine);

// Creates and runs the engine as the client does: "" when it starts, else why not (not
// registered, or its refusal with EngineErrorList's lines).
std::string EngineRefusal();
