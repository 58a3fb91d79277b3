#pragma once
// ChildProcess: a process started with a command line and a working folder. The destructor
// kills a process that is still running, so no caller leaves one behind.
#include "support/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace hostkit {

class ChildProcess {
public:
    // Starts the process at once; Started() tells whether that worked (Error() says why not).
    // With an output file, the process's standard output and error streams go to that file.
    // A show command (SW_SHOWMINNOACTIVE, say) is how its first window is to be shown.
    explicit ChildProcess(const std::string& commandLine, const std::string& workingFolder = std::string(),
                          const std::string& outputFile = std::string(), int showCommand = -1);
    ChildProcess(ChildProcess&&) = default;
    ~ChildProcess();

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Error() const { return error_; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.get(); }

    // Waits for the end; on time-out kills the process and answers false.
    bool WaitForExit(DWORD timeoutMs);
    bool Running() const;
    // Valid after WaitForExit answered true.
    DWORD ExitCode() const;
    void Kill();

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
    DWORD error_ = 0;
};

// Runs a command line to its end. Answers the exit code, or a text saying why there is none,
// for use in assertions: EXPECT_EQ("0", RunToEnd(...)).
std::string RunToEnd(const std::string& commandLine, DWORD timeoutMs,
                     const std::string& workingFolder = std::string());

} // namespace hostkit
