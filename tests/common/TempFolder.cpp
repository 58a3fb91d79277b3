#include "common/TempFolder.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testsupport {

TempFolder::TempFolder() {
    const std::filesystem::path root = std::filesystem::temp_directory_path();
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = root / ("fennel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                        std::to_string(InterlockedIncrement(&counter)));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("TempFolder: cannot create a folder below " + root.string());
}

// Errors are ignored: a file that a process still holds open keeps its folder.
TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

} // namespace testsupport
