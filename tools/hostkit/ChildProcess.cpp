#include "tools/hostkit/ChildProcess.h"

#include <vector>

namespace hostkit {

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingFolder,
                           const std::string& outputFile, int showCommand) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    UniqueFile output;
    if (!outputFile.empty()) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        output.reset(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output) {
            error_ = GetLastError();
            return;
        }
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        error_ = GetLastError();
        return;
    }
    const UniqueKernelHandle primaryThread(info.hThread); // not used
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (Running()) Kill();
}

bool ChildProcess::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) return false;
    if (WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0) return true;
    Kill();
    return false;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0xFFFFFFFF;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ChildProcess::Kill() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), 5000);
}

std::string RunToEnd(const std::string& commandLine, DWORD timeoutMs, const std::string& workingFolder) {
    ChildProcess child(commandLine, workingFolder);
    if (!child.Started()) return "not started, error " + std::to_string(child.Error()) + ": " + commandLine;
    if (!child.WaitForExit(timeoutMs)) return "killed after " + std::to_string(timeoutMs) + " ms: " + commandLine;
    return std::to_string(static_cast<long>(child.ExitCode()));
}

} // namespace hostkit
