// Feeds arbitrary bytes to the WAV reader as a file and reads every frame it then promises,
// in pieces whose size the input's last byte chooses. Refusals are fine; crashes, reads out
// of bounds and broken promises (more or fewer bytes than announced) are not.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "recorder/MemorySource.h"
#include "recorder/WavReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t piece = size ? 4 + (data[size - 1] % 64) * 97 : 4;
    try {
        WavReader reader(std::make_unique<MemorySource>(std::span<const std::uint8_t>(data, size)));
        if (reader.OutputBytes() > 64u * 1024 * 1024) return 0; // a header may claim much; reading it all is slow
        std::vector<std::uint8_t> buffer(piece);
        std::uint64_t total = 0;
        while (std::size_t n = reader.Read(buffer.data(), buffer.size())) {
            if (n % 4 != 0 || n > buffer.size()) std::abort();
            total += n;
        }
        if (total != reader.OutputBytes()) std::abort();
    } catch (const WavReader::base_exception&) {
    }
    return 0;
}
