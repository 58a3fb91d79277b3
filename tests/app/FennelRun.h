#pragma once
// Runs fennel.exe as the host does, recording and answering every message box it shows;
// the registry area of the shipped configuration; the user's locale set for a scope.
#include "common/HostKit.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fenneltest {

// fennel.exe beside the test program, and the area its Fennel.qcf names.
std::string FennelExe();
const std::string& ShippedArea();

// Copies fennel.exe (as exeName) and the named files beside it into folder. Answers the
// copy's path, or "" when a copy failed.
std::string InstallFennel(const std::string& folder, const std::string& exeName,
                          const std::vector<std::string>& files);

// The shipped configuration text with each field's line made "name = value", signed with the
// program's key; "" when the text has no such field.
std::string SignedConfiguration(const std::vector<std::pair<std::string, std::string>>& fields);

using ShownBox = testsupport::MessageBoxTexts;

struct Outcome {
    std::string exit;   // the exit code, or why there is none
    std::string output; // standard output and error
    std::vector<ShownBox> boxes;
};

// Starts count copies of the command line at once. Every box each shows is recorded and
// answered with the next button of answers (a box beyond the list with IDCANCEL). A process
// still running after timeoutMs is killed.
std::vector<Outcome> RunAtOnce(const std::string& commandLine, const std::string& workingFolder, int count,
                               const std::vector<int>& answers = {}, DWORD timeoutMs = 40000);
Outcome RunFennel(const std::string& exe, const std::string& arguments, const std::string& workingFolder,
                  const std::vector<int>& answers = {});

// HKCU\Control Panel\International\Locale set for the object's life, restored after.
class UserLocale {
public:
    explicit UserLocale(const std::string& locale);
    ~UserLocale();
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

    bool Set() const { return set_; }

private:
    std::optional<std::string> saved_;
    bool set_ = false;
};

// Names the recording engine's drive file for the programs this process starts. A path that
// doesn't exist makes the engine refuse to start, which the program sees as no engine at all.
inline bool UseDriveFile(const std::string& driveFile) {
    return SetEnvironmentVariableA("FENNEL_RECORDER_CONFIG", driveFile.c_str()) != FALSE;
}
constexpr char kNoEngine[] = "Z:\\nonexistent\\no-recorder.ini";

} // namespace fenneltest
