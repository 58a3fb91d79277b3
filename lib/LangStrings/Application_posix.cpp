// Native form of the executable's folder, read from /proc.
#include "inc/Application.h"

#include <unistd.h>

#include <climits>

std::string GetExePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0) {
        FENNEL_THROW(exe_path_not_found, "GetExePath()", "Call to readlink() failed.");
    }
    if (static_cast<std::size_t>(length) >= sizeof buffer) {
        FENNEL_THROW(exe_path_not_found, "GetExePath()",
                     "readlink() returned a string too large for the passed buffer.");
    }
    const std::string path(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}
