#include "app/ConfigurationPath.h"

namespace ConfigurationPath {

std::string Folder(const std::string& executablePath, const std::function<std::string()>& currentDirectory) {
    const std::size_t slash = executablePath.rfind('\\');
    if (slash == std::string::npos || slash == 0) return currentDirectory();
    return executablePath.substr(0, slash);
}

std::string File(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + kFileName;
}

} // namespace ConfigurationPath
