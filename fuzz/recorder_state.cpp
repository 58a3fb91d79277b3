// Feeds arbitrary text to the drive file and disc state parsers. A state that parses must
// survive its own round trip and describe itself without tripping over its numbers.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "recorder/DiscState.h"
#include "recorder/EngineConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        EngineConfig config = EngineConfig::Parse(text);
        for (const DriveConfig& drive : config.drives) DiscState::FromConfig(drive.disc).Describe(drive);
    } catch (const ContextException&) {
    }
    try {
        DiscState state = DiscState::Parse(text);
        if (DiscState::Parse(state.Serialize()).Serialize() != state.Serialize()) std::abort();
        DriveConfig drive;
        drive.mediaAbilities = ~0u;
        state.Describe(drive);
        state.CueFiles();
        state.FreeFrames();
    } catch (const ContextException&) {
    }
    return 0;
}
