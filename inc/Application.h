#pragma once
// The executable's own folder.
#include "support/ContextException.h"

#include <string>

FENNEL_EXCEPTION(exe_path_not_found, ContextException);

// The folder of the running executable, ending with its path separator ("\" on Windows).
// Throws exe_path_not_found.
std::string GetExePath();
