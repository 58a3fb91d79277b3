#pragma once
// Crc32: the CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320, initial and final
// value inverted), updated a piece at a time: by carry-less multiplication where the
// processor has it (x86 with PCLMULQDQ and SSE4.1), else eight bytes per step through eight
// tables. One value per stream of bytes; a copy is independent. Any thread.
#include <cstddef>
#include <cstdint>

class Crc32 {
public:
    void Update(const void* data, std::size_t size);
    // The CRC of every byte passed so far (0 before the first).
    std::uint32_t Value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};
