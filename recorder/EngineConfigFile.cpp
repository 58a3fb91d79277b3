#include "recorder/EngineConfigFile.h"

#include <iterator>

#include "recorder/EngineFailure.h"
#include "recorder/RecorderModule.h"
#include "recorder/Win32File.h"
#include "recorder/WinText.h"

namespace {

constexpr std::size_t kMaxConfigBytes = 1 << 20;

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
    return data.ftLastWriteTime;
}

} // namespace

EngineConfigFile EngineConfigFile::Locate(const std::wstring& explicitPath) {
    EngineConfigFile file;
    file.named_ = true;
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer;
    if (!explicitPath.empty()) {
        file.path_ = explicitPath;
    } else if (DWORD length = GetEnvironmentVariableW(kVariable, buffer, static_cast<DWORD>(std::size(buffer)));
               length > 0 && length < std::size(buffer)) {
        file.path_.assign(buffer, length);
    } else if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS &&
               buffer[0]) {
        file.path_ = buffer;
    } else {
        file.named_ = false;
        file.path_ = WinText::Join(RecorderModule::Folder(), kDefaultName);
    }
    return file;
}

EngineConfig EngineConfigFile::Load() {
    EngineConfig config;
    if (WinText::FileExists(path_))
        config = Reload();
    else if (named_)
        RECORDER_FAIL(RECORDING_E_CONFIGURATION, "EngineConfigFile::Load()", "the file does not exist");
    stamp_ = LastWrite(path_);
    return config;
}

EngineConfig EngineConfigFile::Reload() const { return EngineConfig::Parse(Win32File::ReadText(path_, kMaxConfigBytes)); }

bool EngineConfigFile::TakeChange() {
    FILETIME stamp = LastWrite(path_);
    bool changed = stamp.dwLowDateTime != stamp_.dwLowDateTime || stamp.dwHighDateTime != stamp_.dwHighDateTime;
    stamp_ = stamp;
    return changed;
}

std::wstring EngineConfigFile::ImageFolder(const DriveConfig& drive) const {
    std::wstring base = WinText::FolderOf(path_);
    if (drive.imageFolder.empty())
        return WinText::Join(WinText::Join(base, L"recorder-images"), std::wstring(1, static_cast<wchar_t>(drive.letter)));
    std::wstring folder = WinText::ExpandEnvironment(WinText::Wide(drive.imageFolder));
    return WinText::IsAbsolute(folder) ? folder : WinText::Join(base, folder);
}
