#pragma once
// TempFolder: a fresh folder below the system's temporary folder, deleted with everything
// in it when the object goes (files a process still holds open keep theirs). Portable.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace testsupport {

class TempFolder {
public:
    TempFolder() { std::filesystem::create_directory(path_); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Without a trailing separator.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }
    // Writes the bytes as given (no line-end conversion); answers the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

private:
    const std::string path_ =
        (std::filesystem::temp_directory_path() / ("fennel-test-" + std::to_string(std::random_device{}()))).string();
};

} // namespace testsupport
