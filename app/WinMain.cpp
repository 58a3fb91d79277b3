// Entry of fennel.exe: chooses the mode from the command line (registration, COM server or
// burn) and runs the start-up order that every other component relies on.
#include "app/AppModule.h"
#include "app/BurnController.h"
#include "app/FirstInstance.h"
#include "app/MessageLoop.h"
#include "app/ServerSwitch.h"
#include "res/resource.h"
#include "support/ComPtr.h"
#include "support/FormatApiError.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <string>

namespace {

AppModule g_module;
BurnController g_app;

// The classes this server offers: none.
const ClassEntry kClassTable[] = {{nullptr, nullptr, nullptr}};

enum class Mode { Registration, Server, Burn };

// Closes the engine however the run ends (the still-burning return, a throw): its objects
// must be gone before the thread leaves COM.
struct EngineCloser {
    EngineCloser() = default;
    EngineCloser(const EngineCloser&) = delete;
    EngineCloser& operator=(const EngineCloser&) = delete;
    ~EngineCloser() { g_app.CloseEngine(); }
};

int RunFennel(HINSTANCE instance, const char* commandLineTail) {
    const ScopedComInit com(COINIT_MULTITHREADED);
    const EngineCloser engineCloser;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    g_module.idleTimeout = 5000;
    g_module.exitPause = 1000;
    g_module.Init(kClassTable, instance);
    int exitCode = 0;

    Mode mode = Mode::Burn;
    switch (ScanServerSwitches(GetCommandLineA())) {
    case ServerSwitch::UnregServer:
        exitCode = static_cast<int>(g_module.UnregisterServer());
        mode = Mode::Registration;
        break;
    case ServerSwitch::RegServer:
        exitCode = static_cast<int>(g_module.RegisterServer());
        mode = Mode::Registration;
        break;
    case ServerSwitch::Automation:
    case ServerSwitch::Embedding:
        mode = Mode::Server;
        break;
    case ServerSwitch::None:
        break;
    }

    if (mode != Mode::Registration) {
        if (!g_app.Initialise(instance)) {
            exitCode = 1;
        } else {
            const std::string caption = g_app.Caption();
            const bool monitored = g_module.StartMonitor();
            g_module.RegisterClassObjects(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED);
            g_module.ResumeClassObjects();

            if (mode == Mode::Server) {
                // Start-up counts as activity: a server that nobody uses ends after the idle time.
                if (monitored) g_module.SignalActivity();
                MessageLoop loop;
                g_module.AddMessageLoop(&loop);
                exitCode = loop.Run();
                g_module.RemoveMessageLoop();
            } else if (!g_app.Parse(commandLineTail ? commandLineTail : "")) {
                FirstInstance sentinel;
                if (sentinel.Failed()) {
                    const std::string text =
                        "Unable to create the single-instance sentinel '" + std::string(FirstInstance::kName) +
                        "'.\n" + FormatApiError("CreateSemaphore", sentinel.Error());
                    g_app.SetBurnResults(BurnResult::Failed);
                    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
                    exitCode = 1;
                } else if (!sentinel) {
                    MessageBoxA(nullptr, g_app.LoadText(IDS_ERROR_STILLBURNING).c_str(), caption.c_str(),
                                MB_OK | MB_ICONERROR);
                    sentinel.Close();
                    return 0;
                } else {
                    g_app.Run(g_module);
                    sentinel.Close();
                }
            }
            g_app.CloseEngine();
            g_module.RevokeClassObjects();
            Sleep(g_module.exitPause);
        }
    }

    g_module.StopMonitor();
    g_module.FreeMessageLoops();
    g_module.Term();
    return exitCode;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLineTail, int) {
    try {
        return RunFennel(instance, commandLineTail);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxA(nullptr, "Unexpected failure.", "Error", MB_OK | MB_ICONERROR);
    }
    return 1;
}
