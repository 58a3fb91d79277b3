#pragma once
// EngineConfig: the drive file of the recording engine, parsed. An [Engine] section names the
// preferred drive and whether the system's real recorders are drives too; each [Drive X] section describes the virtual drive with letter X, in the
// order of the file. Unknown sections or keys and bad values are errors naming the line, so
// that a typing mistake never goes unnoticed. Plain data after parsing; any thread.
#include <string_view>
#include <vector>

#include "recorder/DriveConfig.h"
#include "recorder/IniFile.h"

class EngineConfig {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(invalid_value, base_exception);

    char preferredDrive = 0; // 0: the first real recorder that writes, else the first virtual drive that writes
    bool realRecorders = true; // the system's recorders are drives of the engine too
    std::vector<DriveConfig> drives;

    static EngineConfig Parse(std::string_view text); // also throws IniFile::syntax_error
    static EngineConfig FromIni(const IniFile& ini);

    const DriveConfig* Find(char letter) const;
};
