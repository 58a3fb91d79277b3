#pragma once
// PluginBase: the generic part of the application object: start-up initialisation and the
// registry application area with its result values. Lives as part of the one static
// application object; used on the main thread, the result values from any thread.
#include "app/RegistryResults.h"

#include <windows.h>

#include <stdexcept>
#include <string>

class PluginBase : public RegistryResults {
public:
    struct init_failure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    ~PluginBase() override = default;

    // Runs the start-up sequence: the registry application area is created and BurnResults
    // set to -3. On failure shows "Unable to initialize plugin '<folder>'.  <reason>" in a
    // box titled "Error" and answers false; the process then ends with exit code 1.
    virtual bool Initialise(HINSTANCE instance);

    // The folder of the executable, or the current folder when the path has no backslash.
    static std::string ProgramFolder();
};
