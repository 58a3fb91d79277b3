#pragma once
// Where the program finds its configuration file: the rule from the executable's path to
// the folder (also the folder its language files are looked for in) and to the file.
#include <functional>
#include <string>

namespace ConfigurationPath {

constexpr char kFileName[] = "Fennel.qcf";

// The text before the last '\' of the executable's path; when there is no '\', or the text
// before it is empty, the current directory (asked only then).
std::string Folder(const std::string& executablePath, const std::function<std::string()>& currentDirectory);

// The folder, a '\' unless the folder already ends with one, and kFileName.
std::string File(const std::string& folder);

} // namespace ConfigurationPath
