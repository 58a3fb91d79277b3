#pragma once
// Paths of the running program and the build: the running executable, files beside it, and
// Unix paths of the build (FENNEL_BINARY_DIR, FENNEL_SOURCE_DIR) as Windows paths.
#include <string>

namespace hostkit {

// Full path of the running executable.
std::string SelfPath();
// Folder of the running executable, without a trailing backslash.
std::string SelfFolder();
// "/a/b" -> "Z:\a\b" (Wine maps the Unix root to drive Z:); other paths are returned as given.
std::string WindowsPath(const std::string& unixPath);
// Wraps a path in double quotes for a command line.
std::string Quoted(const std::string& path);

} // namespace hostkit
