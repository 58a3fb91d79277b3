#pragma once
// StartChecks: what parsing the burn command line asks of the application: the result
// values it writes, its messages, and the engine check and media query it runs. The
// application object implements it; tests record the calls.
#include "app/BurnResults.h"

#include <cstdint>
#include <string>

class StartChecks {
public:
    virtual ~StartChecks() = default;

    virtual void SetBurnResults(BurnResult result) = 0;
    // The no-command-line message, captioned with the program's name, with the error icon.
    virtual void ShowNoCommandLine() = 0;
    // One diagnostic line (without line end) for the standard error stream.
    virtual void ReportUnknownFlag(const std::string& line) = 0;
    // Runs the engine check, writes its result value and, unless quiet, shows its message.
    // Answers the engine's result code: 0 when the engine and a drive are usable.
    virtual std::int32_t EngineCheck(bool quiet) = 0;
    // Writes the free recording time and the media type of the disc in the drive.
    virtual void MediaQuery() = 0;
};
