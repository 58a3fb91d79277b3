#include "tools/hostkit/ProgramPaths.h"

#include <windows.h>

namespace hostkit {

std::string SelfPath() {
    char path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n);
}

std::string SelfFolder() {
    const std::string path = SelfPath();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string WindowsPath(const std::string& unixPath) {
    if (unixPath.empty() || unixPath[0] != '/') return unixPath;
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

} // namespace hostkit
