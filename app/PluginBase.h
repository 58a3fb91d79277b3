#pragma once
// PluginBase: the generic part of the application object: the start-up initialisation
// (language, signed configuration file, registry application area), the configuration's
// fields and the registry result values. Lives as part of the one static application
// object; initialised and queried on the main thread, the result values written from any
// thread. The derived application supplies the settings it holds, the engine access and
// the texts of the disc check.
#include "app/PluginSettings.h"
#include "app/RegistryResults.h"
#include "lib/Certificate/Certificate.h"

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class EngineClient;

class PluginBase : public RegistryResults {
public:
    // A start-up step failed; the text is shown after the folder in the failure box.
    struct init_failure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    PluginBase();

    // The virtual operations are declared in their fixed table order.
    ~PluginBase() override;

    // Runs the start-up sequence. On failure shows "Unable to initialize plugin
    // '<folder>'.  <reason>" in a box titled "Error" (OK only, no owner) and answers false;
    // the process then ends with exit code 1.
    virtual bool Initialise(HINSTANCE instance);

    // Allowed-extension list and maximum burn speed, loaded together on first use.
    virtual const std::vector<std::string>& AllowedExtensions() = 0;
    virtual std::int32_t MaxBurnSpeed() = 0;
    // The engine client's device-facing interface; null when there is no engine client.
    virtual EngineClient* EngineAccess() = 0;

    // The texts of the disc check, in the user's language.
    virtual std::string Caption() = 0;
    virtual std::string DriveNotReadyText() = 0;
    virtual std::string NoDiscInDriveText() = 0;
    virtual std::string ProblemReadingDiscText() = 0;
    virtual std::string DiscHasDataTracksText() = 0;
    virtual std::string DiscHasAudioTracksText() = 0;
    virtual std::string DiscIsFullText() = 0;
    virtual std::string AskEraseRewritableText() = 0;
    virtual std::string EraseFailedText() = 0;

    // Field access that never fails: an absent text field is "", an absent number 0.
    void GetFieldAsText(const char* name, std::string& out);
    std::int32_t GetFieldAsNumber(const char* name);

    // The write-method code of Plugin_BurnMethod for the recording options.
    std::int32_t WriteMethod() const { return settings_.WriteMethod(); }
    // The write-speed choice of the settings rules on the given device.
    std::int32_t ChooseWriteSpeed(PluginSettings::SpeedDevice& device, std::int32_t limit, int mode);

    PluginSettings& Settings() { return settings_; }

    // Whether the disc in the current drive can take the burn (see DiscCheck): 0 when it
    // can, else a result code; erase tells that the user agreed to erase it first.
    HRESULT CheckDisc(HWND owner, bool ask, bool& erase);

    // The folder the configuration file and the language files are taken from: the
    // executable's folder, or the current folder when the path has no backslash.
    static std::string ProgramFolder();
    // The message of the failure box.
    static std::string FailureText(const std::string& folder, const std::string& reason);

protected:
    // The start-up sequence proper; throws init_failure for each failing step.
    void Start(const std::string& folder);
    // The configuration the settings are read from (filled by Start).
    Certificate& Configuration() { return configuration_; }

private:
    Certificate configuration_;
    PluginSettings settings_{configuration_};
};
