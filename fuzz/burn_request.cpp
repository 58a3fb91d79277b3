// Fuzzes the burn command line (scanner and parse decisions): the input is the command-line
// tail. The playlist formats are the playlist target's.
#include "app/BurnRequest.h"
#include "engine/EngineClientCodes.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class QuietChecks : public StartChecks {
public:
    void SetBurnResults(BurnResult) override {}
    void ShowNoCommandLine() override {}
    void ReportUnknownFlag(const std::string&) override {}
    std::int32_t EngineCheck(bool quiet) override { return quiet ? 0 : ENGINE_E_NO_ENGINE; }
    void MediaQuery() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BurnRequest request;
    QuietChecks checks;
    request.Parse(std::string(reinterpret_cast<const char*>(data), size), checks);
    return 0;
}
