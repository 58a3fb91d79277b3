// The executable's folder from the module's own path.
#include "inc/Application.h"

#include <windows.h>

std::string GetExePath() {
    char buffer[1024];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0) {
        FENNEL_THROW(exe_path_not_found, "GetExePath()", "Call to GetModuleFileName() failed.");
    }
    if (length >= sizeof buffer) {
        FENNEL_THROW(exe_path_not_found, "GetExePath()",
                     "GetModuleFileName() returned a string too large for the passed buffer.");
    }
    const std::string path(buffer, length);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}
