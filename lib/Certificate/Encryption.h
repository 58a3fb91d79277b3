#pragma once
// Encryption: deciphering and checking of the configuration file. The file is a 33-byte
// RSA block (a zero byte, the 128-bit AES key, the first cipher block) followed by
// AES-128-CBC blocks; the first deciphered block is a hash of the text area behind it.
// All operations are stateless and throw ContextException on failure.
#include <cstddef>

class BigNumber;

class Encryption {
public:
    static constexpr std::size_t kHeaderBytes = 33; // RSA block
    static constexpr std::size_t kHashBytes = 16;

    // Deciphers buffer in place: on return it begins with the configuration text and
    // length is the text's length. key is the public key text "exponent-modulus" in
    // hexadecimal. On failure the buffer's contents are undefined.
    static void Decrypt(char* buffer, std::size_t& length, const char* key);

    // The hash of a text area; length must be a multiple of 16.
    static void CalcHash(const unsigned char* data, std::size_t length, unsigned char hash[kHashBytes]);

    // The fixed value the hash starts from.
    static void HashStart(unsigned char start[kHashBytes]);

    // number := number ^ exponent mod modulus with the key text's two hexadecimal groups.
    // False when the key has no "-", a group is not hexadecimal, or number is not below
    // the modulus; number is then unchanged.
    static bool RsaPublic(BigNumber& number, const char* key);
};
