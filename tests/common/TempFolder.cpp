#include "common/TempFolder.h"

#include <windows.h>

#include <fstream>
#include <stdexcept>

namespace testsupport {

namespace {

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    std::string root = base;
    if (!root.empty() && root.back() == '\\') root.pop_back();
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = root + "\\fennel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("TempFolder: cannot create a folder below " + root);
}

TempFolder::~TempFolder() { DeleteTree(path_); }

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

} // namespace testsupport
