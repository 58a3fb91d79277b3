#include "FennelRun.h"

#include "common/ChildProcess.h"
#include "common/ConfiguredArea.h"
#include "common/ProcessWindows.h"
#include "common/TestPaths.h"
#include "common/TestRegistry.h"
#include "support/UniqueHandle.h"

#include <fstream>
#include <iterator>

namespace fenneltest {

using namespace testsupport;

namespace {

constexpr DWORD kTimeoutMs = 20000;
const char kInternational[] = "Control Panel\\International";

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// Presses the button, or the box's first button when it has none such.
void Answer(HWND box, int button) {
    if (PressButton(box, button)) return;
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (GetParent(child) == box && _wcsicmp(ClassName(child).c_str(), L"Button") == 0) {
            PressButton(box, GetDlgCtrlID(child));
            return;
        }
    }
}

} // namespace

std::string FennelExe() { return SelfFolder() + "\\fennel.exe"; }

const std::string& ShippedArea() {
    static const std::string area = ConfiguredArea(SelfFolder() + "\\Fennel.qcf");
    return area;
}

std::string InstallFennel(const std::string& folder, const std::string& exeName,
                          const std::vector<std::string>& files) {
    const std::string exe = folder + "\\" + exeName;
    if (!CopyFileA(FennelExe().c_str(), exe.c_str(), FALSE)) return std::string();
    for (const std::string& file : files) {
        const std::string from = SelfFolder() + "\\" + file;
        if (!CopyFileA(from.c_str(), (folder + "\\" + file).c_str(), FALSE)) return std::string();
    }
    return exe;
}

std::vector<std::string> ShippedLanguageFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(FindFirstFileA((SelfFolder() + "\\FN*.lng").c_str(), &found));
    if (!search) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

Outcome RunFennel(const std::string& exe, const std::string& arguments, const std::string& workingFolder,
                  const std::vector<int>& answers) {
    Outcome outcome;
    const std::string outputFile = workingFolder + "\\fennel-output.txt";
    ChildProcess child(Quoted(exe) + (arguments.empty() ? "" : " " + arguments), workingFolder, outputFile);
    if (!child.Started()) {
        outcome.exit = "not started, error " + std::to_string(child.Error());
        return outcome;
    }
    const ULONGLONG start = GetTickCount64();
    while (child.Running() && GetTickCount64() - start < kTimeoutMs) {
        HWND box = FindMessageBox(child.Id());
        if (!box) {
            Sleep(20);
            continue;
        }
        Sleep(50); // let the box finish filling in its controls
        outcome.boxes.push_back(ReadMessageBox(box));
        const std::size_t index = outcome.boxes.size() - 1;
        Answer(box, index < answers.size() ? answers[index] : IDCANCEL);
        while (IsWindow(box) && GetTickCount64() - start < kTimeoutMs) Sleep(20);
    }
    outcome.exit = child.WaitForExit(kTimeoutMs) ? std::to_string(static_cast<long>(child.ExitCode()))
                                                 : "killed: still running";
    std::ifstream in(outputFile, std::ios::binary);
    outcome.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileA(outputFile.c_str());
    return outcome;
}

UserLocale::UserLocale(const std::string& locale) : saved_(ReadString(kInternational, "Locale")) {
    set_ = WriteString(kInternational, "Locale", locale);
}

UserLocale::~UserLocale() {
    if (saved_) {
        WriteString(kInternational, "Locale", *saved_);
    } else {
        DeleteValue(kInternational, "Locale");
    }
}

namespace {
const char kDriveFileVariable[] = "FENNEL_RECORDER_CONFIG";
}

RecorderDrives::RecorderDrives(const std::string& driveFile) {
    char value[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableA(kDriveFileVariable, value, sizeof value);
    if (n > 0 && n < sizeof value) saved_ = std::string(value, n);
    Set(driveFile);
}

bool RecorderDrives::Set(const std::string& driveFile) {
    return SetEnvironmentVariableA(kDriveFileVariable, driveFile.c_str()) != FALSE;
}

RecorderDrives::~RecorderDrives() { SetEnvironmentVariableA(kDriveFileVariable, saved_ ? saved_->c_str() : nullptr); }

} // namespace fenneltest
