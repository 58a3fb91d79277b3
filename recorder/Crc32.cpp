#include "recorder/Crc32.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define FENNEL_CRC32_FOLDING 1
#endif

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

// tables[k][b]: the CRC of byte b followed by k zero bytes.
constexpr Tables MakeTables() {
    Tables tables{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t crc = b;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0);
        tables[0][b] = crc;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::uint32_t b = 0; b < 256; ++b)
            tables[k][b] = (tables[k - 1][b] >> 8) ^ tables[0][tables[k - 1][b] & 0xFF];
    return tables;
}

constexpr Tables kTables = MakeTables();

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t UpdateByTables(std::uint32_t crc, const std::uint8_t* p, std::size_t size) {
    for (; size >= 8; size -= 8, p += 8) {
        std::uint32_t low = Le32(p) ^ crc;
        std::uint32_t high = Le32(p + 4);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; size > 0; --size, ++p) crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF];
    return crc;
}

#ifdef FENNEL_CRC32_FOLDING

constexpr std::size_t kFoldingMinimum = 64;

#define FENNEL_FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

FENNEL_FOLDING_TARGET inline __m128i Load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the two powers in k (low and high half), plus next.
FENNEL_FOLDING_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// Folds size bytes (a multiple of 16, at least 64) into the state crc with carry-less
// multiplication: four 128-bit lanes folded 64 bytes at a time, then folded into one and
// reduced to 32 bits (Barrett). The constants are powers of x modulo the reflected polynomial.
FENNEL_FOLDING_TARGET std::uint32_t UpdateByFolding(std::uint32_t crc, const std::uint8_t* p, std::size_t size) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5k0 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    p += 64;
    size -= 64;
    for (; size >= 64; p += 64, size -= 64) {
        x1 = Fold(x1, k1k2, Load(p));
        x2 = Fold(x2, k1k2, Load(p + 16));
        x3 = Fold(x3, k1k2, Load(p + 32));
        x4 = Fold(x4, k1k2, Load(p + 48));
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    for (; size >= 16; p += 16, size -= 16) x1 = Fold(x1, k3k4, Load(p));

    // 128 bits to 64, then Barrett reduction to 32.
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5k0, 0x00));
    __m128i r = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    r = _mm_clmulepi64_si128(_mm_and_si128(r, low32), poly, 0x00);
    return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, r), 1));
}

bool CanFold() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL) && (c & bit_SSE4_1);
}

const bool kCanFold = CanFold();

#endif

} // namespace

void Crc32::Update(const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
#ifdef FENNEL_CRC32_FOLDING
    if (kCanFold && size >= kFoldingMinimum) {
        std::size_t folded = size & ~std::size_t{15};
        state_ = UpdateByFolding(state_, p, folded);
        p += folded;
        size -= folded;
    }
#endif
    state_ = UpdateByTables(state_, p, size);
}
