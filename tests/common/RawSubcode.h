#pragma once
// RawSubcode: reads the channels back out of the 96 subcode bytes of a raw sector (byte i:
// bit i of P in bit 7, bit i of Q in bit 6, R-W symbol i in bits 5 to 0). Walks the bits
// one at a time, apart from how the writer packs them. Header-only, portable; any thread.
#include <array>
#include <cstddef>
#include <cstdint>

namespace testsupport {

// The 12 bytes of Q, most significant bit first.
inline std::array<std::uint8_t, 12> DecodeQ(const std::uint8_t sub[96]) {
    std::array<std::uint8_t, 12> q{};
    for (std::size_t bit = 0; bit < 96; ++bit)
        if (sub[bit] & 0x40) q[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
    return q;
}

// The four 18-byte packs the R-W symbols carry, 24 symbols each, most significant bits first.
inline std::array<std::array<std::uint8_t, 18>, 4> DecodePacks(const std::uint8_t sub[96]) {
    std::array<std::array<std::uint8_t, 18>, 4> packs{};
    for (std::size_t bit = 0; bit < 96 * 6; ++bit) {
        std::size_t pack = bit / 144, inPack = bit % 144;
        if (sub[bit / 6] & (0x20 >> (bit % 6)))
            packs[pack][inPack / 8] |= static_cast<std::uint8_t>(0x80 >> (inPack % 8));
    }
    return packs;
}

// The sector's P flag: 1 or 0 when all 96 bits agree, -1 when they differ.
inline int P(const std::uint8_t sub[96]) {
    int set = 0;
    for (std::size_t i = 0; i < 96; ++i) set += (sub[i] & 0x80) ? 1 : 0;
    return set == 96 ? 1 : set == 0 ? 0 : -1;
}

} // namespace testsupport
