// Feeds arbitrary bytes to the WAV reader as a file and reads every frame it then promises,
// in pieces whose size the input's last byte chooses. Refusals are fine; crashes, reads out
// of bounds, broken promises (more or fewer bytes than announced) and tags that are not
// UTF-8 without NULs are not.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "recorder/MemorySource.h"
#include "recorder/WavReader.h"

namespace {

// Lead bytes and continuation bytes in valid order; the reader's stricter checks aside.
bool LooksUtf8(const std::string& text) {
    std::size_t pending = 0;
    for (unsigned char c : text) {
        if (pending > 0) {
            if ((c & 0xC0) != 0x80) return false;
            --pending;
        } else if (c == 0 || (c >= 0x80 && c < 0xC2) || c > 0xF4) {
            return false;
        } else {
            pending = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0x80 ? 1 : 0;
        }
    }
    return pending == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t piece = size ? 4 + (data[size - 1] % 64) * 97 : 4;
    try {
        WavReader reader(std::make_unique<MemorySource>(std::span<const std::uint8_t>(data, size)));
        AudioTags tags = reader.Tags();
        if (!LooksUtf8(tags.title) || !LooksUtf8(tags.performer) || !LooksUtf8(tags.album)) std::abort();
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
