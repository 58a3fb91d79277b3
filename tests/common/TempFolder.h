#pragma once
// TempFolder: a fresh folder below the system's temporary folder, deleted with everything
// in it when the object goes.
#include <string>

namespace testsupport {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Windows path without a trailing backslash.
    const std::string& Path() const { return path_; }
    // Path of a file in the folder.
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // Writes the bytes as given (no line-end conversion); answers the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

} // namespace testsupport
