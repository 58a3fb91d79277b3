#include "engine/RecordingOptions.h"

namespace {
constexpr bool Bit(std::uint32_t word, int bit) { return (word >> bit) & 1u; }
constexpr std::uint32_t Byte(std::uint32_t value, int index) { return (value >> (8 * index)) & 0xFFu; }
} // namespace

RecordingOptions RecordingOptions::Decode(std::uint32_t word, std::uint8_t optionValue) {
    RecordingOptions o;
    o.format = Bit(word, 0) ? 1 : Bit(word, 1) ? 3 : Bit(word, 2) ? 2 : 0;
    o.writeMethod = Bit(word, 15) ? 2 : Bit(word, 16) ? 3 : 0;
    o.trackAtOnce = Bit(word, 13) ? 1 : Bit(word, 14) ? 2 : 0;
    o.flags = optionValue | (std::uint32_t{Bit(word, 28)} << 8) | (std::uint32_t{Bit(word, 30)} << 16) |
              (std::uint32_t{Bit(word, 24)} << 24);
    o.extra = std::uint32_t{Bit(word, 27)} | (std::uint32_t{Bit(word, 26)} << 8);
    return o;
}

void RecordingOptions::Encode(std::uint32_t& word, std::uint8_t& optionValue) const {
    std::uint32_t w = word & ~kManagedBits;
    if (format == 1) w |= 1u << 0;
    else if (format == 3) w |= 1u << 1;
    else if (format == 2) w |= 1u << 2;
    if (writeMethod == 3) w |= 1u << 16;
    else if (writeMethod == 2) w |= 1u << 15;
    else if (trackAtOnce == 1) w |= 1u << 13;
    else if (trackAtOnce == 2) w |= 1u << 14;
    if (Byte(flags, 1)) w |= 1u << 28;
    if (Byte(flags, 2)) w |= 1u << 30;
    if (Byte(flags, 3)) w |= 1u << 24;
    if (Byte(extra, 0)) w |= 1u << 27;
    if (Byte(extra, 1)) w |= 1u << 26;
    word = w;
    optionValue = static_cast<std::uint8_t>(Byte(flags, 0));
}
