#pragma once
// SampleConverter: turns PCM sample frames of 8-bit (unsigned), 16-bit or 24-bit (signed,
// little-endian), mono or stereo into the 16-bit stereo little-endian frames of an audio CD.
// 8-bit samples move to the upper byte; 24-bit samples keep their upper 16 bits; a mono
// sample goes to both channels. Stateless; any thread.
#include <cstddef>
#include <cstdint>

class SampleConverter {
public:
    static constexpr std::size_t kOutputFrameBytes = 4;

    // True for the layouts Convert handles: 1 or 2 channels of 1, 2 or 3 bytes.
    static bool Supports(unsigned channels, unsigned bytesPerSample);
    // Converts frames input frames (channels * bytesPerSample bytes each) into
    // frames * kOutputFrameBytes bytes at output. The buffers must not overlap.
    static void Convert(const std::uint8_t* input, std::size_t frames, unsigned channels,
                        unsigned bytesPerSample, std::uint8_t* output);
};
