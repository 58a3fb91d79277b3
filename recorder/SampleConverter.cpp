#include "recorder/SampleConverter.h"

#include <cstring>

namespace {

// The 16-bit value of one sample, as the two little-endian output bytes.
struct Sample16 {
    std::uint8_t low;
    std::uint8_t high;
};

inline Sample16 Read(const std::uint8_t* p, unsigned bytesPerSample) {
    switch (bytesPerSample) {
    case 1: return {0, static_cast<std::uint8_t>(p[0] ^ 0x80)}; // unsigned 8-bit: flip the sign bit
    case 2: return {p[0], p[1]};
    default: return {p[1], p[2]};                               // 24-bit: drop the lowest byte
    }
}

} // namespace

bool SampleConverter::Supports(unsigned channels, unsigned bytesPerSample) {
    return (channels == 1 || channels == 2) && bytesPerSample >= 1 && bytesPerSample <= 3;
}

void SampleConverter::Convert(const std::uint8_t* input, std::size_t frames, unsigned channels,
                              unsigned bytesPerSample, std::uint8_t* output) {
    if (channels == 2 && bytesPerSample == 2) {
        std::memcpy(output, input, frames * kOutputFrameBytes);
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        Sample16 left = Read(input, bytesPerSample);
        Sample16 right = channels == 2 ? Read(input + bytesPerSample, bytesPerSample) : left;
        input += channels * bytesPerSample;
        output[0] = left.low;
        output[1] = left.high;
        output[2] = right.low;
        output[3] = right.high;
        output += kOutputFrameBytes;
    }
}
