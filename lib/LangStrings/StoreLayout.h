#pragma once
// The byte layout of the shared string store, a contract between running instances.
// All integers are little-endian; offsets count from the start of the mapped view.
//
//   0  u16  language identifier        2  u16  reserved, zero
//   4  u32  code page of the strings   8  u32  number of sections N
//  12  N x { u32 name offset, u32 record count, u32 first record offset }
//  then section names (zero-terminated), then string records packed without gaps:
//      u16 key length L, L key bytes, 0, u16 value length M, M value bytes, 0
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace store {

constexpr std::size_t kLanguageOffset = 0;
constexpr std::size_t kReservedOffset = 2;
constexpr std::size_t kCodePageOffset = 4;
constexpr std::size_t kSectionCountOffset = 8;
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kEntryNameOffset = 0;
constexpr std::size_t kEntryCountOffset = 4;
constexpr std::size_t kEntryFirstRecordOffset = 8;
constexpr std::size_t kMaxTextLength = 0xFFFF;

// Bytes of the mapping for a language file of fileSize bytes.
constexpr std::uint64_t SizeForFile(std::uint64_t fileSize) { return 2 * fileSize + kHeaderSize; }

inline std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void Write16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void Write32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace store
