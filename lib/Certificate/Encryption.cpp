#include "lib/Certificate/Encryption.h"

#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/Rijndael.h"
#include "support/ContextException.h"

#include <cstring>
#include <string_view>

namespace {

// A failure's text names this file and the line of the Fail call.
[[noreturn]] void Fail(const char* where, const char* context,
                       int line = __builtin_LINE()) {
    throw ContextException(where, context, "lib/Certificate/Encryption.cpp", line,
                           "ContextException");
}

} // namespace

void Encryption::HashStart(unsigned char start[kHashBytes]) {
    for (std::size_t i = 0; i < kHashBytes; ++i) {
        start[i] = static_cast<unsigned char>((i * 29 + 7) ^ 0xC3);
    }
}

void Encryption::CalcHash(const unsigned char* data, std::size_t length, unsigned char hash[kHashBytes]) {
    if (length % Rijndael::kBlockBytes != 0) {
        Fail("Encryption::CalcHash", "Input buffer is not a multiple of 16 bytes in length.");
    }
    unsigned char h[kHashBytes];
    HashStart(h);
    Rijndael cipher;
    // Every other block keys one round; the blocks in between do not enter the hash.
    for (std::size_t k = 0; k < length; k += 2 * Rijndael::kBlockBytes) {
        unsigned char d[kHashBytes];
        if (!cipher.Init(128, 128, data + k) || !cipher.Decrypt(h, kHashBytes, d, Rijndael::kEcb)) {
            Fail("Encryption::CalcHash", "Decryption fails.");
        }
        for (std::size_t i = 0; i < kHashBytes; ++i) h[i] ^= d[i];
    }
    std::memcpy(hash, h, kHashBytes);
}

bool Encryption::RsaPublic(BigNumber& number, const char* key) {
    if (key == nullptr) return false;
    const std::string_view text(key);
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return false;
    BigNumber exponent, modulus;
    if (!BigNumber::FromHex(text.substr(0, dash), exponent) || !BigNumber::FromHex(text.substr(dash + 1), modulus)) {
        return false;
    }
    if (!(number < modulus)) return false;
    number = BigNumber::PowMod(number, exponent, modulus);
    return true;
}

void Encryption::Decrypt(char* buffer, std::size_t& length, const char* key) {
    if (buffer == nullptr) {
        Fail("Encryption::Decrypt", "NULL buffer pointer supplied.  Decryption fails.");
    }
    if (length < kHeaderBytes || length % Rijndael::kBlockBytes != 1) {
        Fail("Encryption::Decrypt", "Unexpected Certificate file length.  Decryption fails.");
    }
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);

    BigNumber number = BigNumber::FromBytes(bytes, kHeaderBytes);
    if (!RsaPublic(number, key)) {
        Fail("Encryption::Decrypt", "RSA encryption fails.  Check Public Key.");
    }
    number.ToBytes(bytes, kHeaderBytes);
    if (bytes[0] != 0) {
        Fail("Encryption::Decrypt", "Expected opening certificate byte of zero.  Decryption fails.");
    }

    constexpr std::size_t kCipherStart = 1 + Rijndael::kBlockBytes; // after the zero byte and the key
    Rijndael cipher;
    if (!cipher.Init(128, 128, bytes + 1) ||
        !cipher.Decrypt(bytes + kCipherStart, length - kCipherStart, bytes + kCipherStart, Rijndael::kCbc)) {
        Fail("Encryption::Decrypt", "Rijndael decryption fails.");
    }

    unsigned char hash[kHashBytes];
    CalcHash(bytes + kHeaderBytes, length - kHeaderBytes, hash);
    if (std::memcmp(hash, bytes + kCipherStart, kHashBytes) != 0) {
        Fail("Encryption::Decrypt", "Bad hash comparison.  Decryption fails.");
    }

    while (length > kHeaderBytes && bytes[length - 1] == 0) --length;
    length -= kHeaderBytes;
    std::memmove(bytes, bytes + kHeaderBytes, length);
}
