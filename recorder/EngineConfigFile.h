#pragma once
// EngineConfigFile: where the engine's drive file is (the path set by the client, the
// environment variable, the registry value, recorder.ini beside the DLL, first found wins),
// reading it, noticing when it was written again, and each drive's image folder relative to
// it. Owned by the engine and used under its lock; not thread-safe itself.
#include <windows.h>

#include <string>

#include "recorder/EngineConfig.h"

class EngineConfigFile {
public:
    static constexpr const wchar_t* kVariable = L"FENNEL_RECORDER_CONFIG";
    static constexpr const wchar_t* kKey = L"Software\\Fennel\\Recorder";
    static constexpr const wchar_t* kValue = L"ConfigurationPath";
    static constexpr const wchar_t* kDefaultName = L"recorder.ini";

    EngineConfigFile() = default;
    // The file named by explicitPath, or else the first of the other places.
    static EngineConfigFile Locate(const std::wstring& explicitPath);

    const std::wstring& Path() const { return path_; }
    // Reads and parses the file and remembers its write time. Only the default file may be
    // missing (no drives then); throws ContextException for a missing named file or bad text.
    EngineConfig Load();
    // Reads and parses the file again; throws ContextException.
    EngineConfig Reload() const;
    // True once per change of the file's write time since the last Load or TakeChange.
    bool TakeChange();
    // The drive's Images= folder (environment variables expanded) relative to the file's
    // folder, by default recorder-images\<letter> there.
    std::wstring ImageFolder(const DriveConfig& drive) const;

private:
    std::wstring path_;
    bool named_ = false; // given by the client, the environment or the registry
    FILETIME stamp_{};
};
