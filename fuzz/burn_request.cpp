// Fuzzes the burn command line (scanner and parse decisions) and the playlist reader. The
// first byte chooses: even parses the rest as a command-line tail, odd writes it to a
// playlist file (an entry list when the byte's second bit is set) and reads it.
#include "app/BurnRequest.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace {

class QuietChecks : public StartChecks {
public:
    void SetBurnResults(std::int32_t) override {}
    void ShowNoCommandLine() override {}
    void ReportUnknownFlag(const std::string&) override {}
    std::int32_t EngineCheck(bool quiet) override { return quiet ? 0 : static_cast<std::int32_t>(0x80040424); }
    void MediaQuery() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    BurnRequest request;
    if ((data[0] & 1) == 0) {
        QuietChecks checks;
        request.Parse(rest, checks);
        return 0;
    }
    const std::string path = "/tmp/fennel-fuzz-" + std::to_string(getpid()) + ((data[0] & 2) ? ".asx" : ".m3u");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << rest;
    request.ReadPlaylist(path);
    for (const TrackEntry& track : request.tracks) {
        if (track.path.find('\n') != std::string::npos) __builtin_trap(); // a track is one line
    }
    unlink(path.c_str());
    return 0;
}
