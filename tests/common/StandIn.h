#pragma once
// The recording API's stand-in (tests/standin) for a test: registered in the test prefix,
// given its script of recorders through the environment (so programs this process starts see
// it too), and read back: its call log and what it received. Without a script the stand-in
// behaves as a system without the API.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/hostkit/ProgramPaths.h"

namespace testsupport {

class StandIn {
public:
    static constexpr char kVariable[] = "FENNEL_IMAPI_STANDIN";

    // Registers the stand-in beside the test program (or removes it: as a system without the
    // API); false when it cannot be.
    static bool Register(bool registered = true) {
        HMODULE module = LoadLibraryA((hostkit::SelfFolder() + "\\imapi_standin.dll").c_str());
        if (!module) return false;
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, registered ? "DllRegisterServer" : "DllUnregisterServer")));
        const bool done = entry && SUCCEEDED(entry());
        FreeLibrary(module);
        return done;
    }

    // Writes the script of one recorder ([Recorder 1], drive E: writing CD-R and CD-RW, raw
    // sectors and 48x/24x/16x) with the extra lines into folder and names it for this process.
    StandIn(const std::string& folder, const std::string& lines) : folder_(folder) {
        // The first of two equal keys counts: the extra lines come first.
        std::ofstream(Path("standin.ini"), std::ios::binary)
            << "[Recorder 1]\r\n"
            << lines
            << "Letter=E\r\nVendor=FENNEL\r\nProduct=Test Writer\r\nProfiles=CD-R, CD-RW\r\nRaw=1\r\n"
               "WriteSpeeds=48, 24, 16\r\n";
        SetEnvironmentVariableA(kVariable, Path("standin.ini").c_str());
    }
    ~StandIn() { SetEnvironmentVariableA(kVariable, nullptr); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // The recorder's log lines, in order.
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::istringstream text(Read("standin-1.log"));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    // A file the stand-in wrote ("standin-1-raw.pcm", "standin-1-track01.pcm", ...); "" when none.
    std::string Read(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    void Forget(const std::string& name) const { DeleteFileA(Path(name).c_str()); }

private:
    std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
    std::string folder_;
};

} // namespace testsupport
