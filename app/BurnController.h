#pragma once
// BurnController: the application object. Parses the burn command line, runs the start
// checks (engine check, media query) and the run. One static instance, used on the main
// thread.
#include "app/BurnRequest.h"
#include "app/PluginBase.h"
#include "app/StartChecks.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class BurnController : public PluginBase, public StartChecks {
public:
    // The engine's result codes that the start checks tell apart.
    static constexpr std::int32_t kNoEngine = static_cast<std::int32_t>(0x80040424);

    bool Initialise(HINSTANCE instance) override;

    // PluginBase
    const std::vector<std::string>& AllowedExtensions() override { return Settings().AllowedExtensions(); }
    std::int32_t MaxBurnSpeed() override { return Settings().MaxBurnSpeed(); }
    EngineClient* EngineAccess() override;
    // The program's name for captions (IDS_PLUGIN_APP), then the disc check's messages.
    std::string Caption() override;
    std::string DriveNotReadyText() override;
    std::string NoDiscInDriveText() override;
    std::string ProblemReadingDiscText() override;
    std::string DiscHasDataTracksText() override;
    std::string DiscHasAudioTracksText() override;
    std::string DiscIsFullText() override;
    std::string AskEraseRewritableText() override;
    std::string EraseFailedText() override;

    // The text of a string-table entry, in the user's language once localisation is up.
    std::string LoadText(UINT id) const;

    // Parses the command-line tail and runs the start checks; true when the process ends now.
    bool Parse(const std::string& commandLineTail) { return request_.Parse(commandLineTail, *this); }
    // Reads the playlist and performs the burn; returns when the burn has ended or, for a
    // silent burn, has been started.
    void Run();

    const BurnRequest& Request() const { return request_; }

    // StartChecks
    void SetBurnResults(std::int32_t code) override { RegistryResults::SetBurnResults(code); }
    void ShowNoCommandLine() override;
    void ReportUnknownFlag(const std::string& line) override;
    std::int32_t EngineCheck(bool quiet) override;
    void MediaQuery() override;

    // The class of an engine check's result for EngineCheckResult: 1 no usable drive,
    // 2 no engine, 0 anything else.
    static std::int32_t EngineCheckClass(std::int32_t result);

private:
    // Creates and opens the engine client; answers the engine's result code.
    std::int32_t OpenEngineClient();
    void ShowEngineCheckMessage(std::int32_t result);
    // Opens an address through the system's file explorer; failures are not reported.
    static void OpenAddress(const std::string& address);

    HINSTANCE instance_ = nullptr;
    BurnRequest request_;
};
