// Feeds arbitrary bytes to the MP3 encoder tag reader as the head of a file. Any answer is
// fine as long as it keeps its promises: the trimmed audio fits in the frames it counts.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "recorder/LameTag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto info = LameTag::Parse(std::span<const std::uint8_t>(data, size));
    if (info) {
        std::uint64_t total = std::uint64_t{info->frames} * info->samplesPerFrame;
        if (info->AudioSamples() == 0 || info->AudioSamples() + info->delay + info->padding != total) std::abort();
        if (info->sampleRate < 8000 || info->sampleRate > 48000 || info->channels < 1 || info->channels > 2) std::abort();
    }
    return 0;
}
