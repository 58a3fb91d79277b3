#pragma once
// RecordingOptions: the five values through which the application reads and sets the
// option word of the disc-creation parameters (and its one-byte option value). Portable.
#include <cstdint>

struct RecordingOptions {
    std::int32_t format = 0;      // 1, 3 or 2: option bit 0, 1 or 2
    std::int32_t writeMethod = 0; // 2: bit 15 (session-at-once), 3: bit 16 (disc-at-once)
    std::int32_t trackAtOnce = 0; // 1: bit 13, 2: bit 14; set only when writeMethod is neither
    std::uint32_t flags = 0;      // bytes, lowest first: option value, bit 28, bit 30, bit 24
    std::uint32_t extra = 0;      // bytes, lowest first: bit 27, bit 26

    // Every bit of the option word that the five values describe.
    static constexpr std::uint32_t kManagedBits = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 13) | (1u << 14) |
                                                  (1u << 15) | (1u << 16) | (1u << 24) | (1u << 26) | (1u << 27) |
                                                  (1u << 28) | (1u << 30);

    static RecordingOptions Decode(std::uint32_t word, std::uint8_t optionValue);
    // Replaces the managed bits of word and the option value; other bits of word stay.
    void Encode(std::uint32_t& word, std::uint8_t& optionValue) const;

    bool operator==(const RecordingOptions&) const = default;
};
