#pragma once
// Rijndael: the inverse cipher of the AES block cipher (128-bit block, 128-bit key,
// 10 rounds) over runs of whole blocks, in ECB mode or in CBC mode with a chaining value
// that starts all zero at Init and carries over from one run to the next. The program
// only deciphers; the forward cipher lives beside it in RijndaelEncryptor. An object is
// used by one thread at a time and owns no resources.
#include <cstddef>
#include <cstdint>

class Rijndael {
public:
    static constexpr int kBlockBytes = 16;
    static constexpr int kScheduleWords = 44;
    enum Mode { kEcb = 1, kCbc = 2 };

    // Only a 128-bit block and a 128-bit key are supported; other sizes or a null key
    // answer false and leave the object unusable.
    bool Init(int blockBits, int keyBits, const unsigned char* key);

    // Deciphers length bytes from in to out (which may be the same place). False, with
    // out untouched, when the object is not initialised, the mode is unknown or the
    // length is not a whole number of blocks.
    bool Decrypt(const unsigned char* in, std::size_t length, unsigned char* out, int mode);

    // The key schedule of the standard: 44 words, the first byte of each in its top bits.
    static void ExpandKey(const unsigned char key[16], std::uint32_t schedule[kScheduleWords]);

private:
    void DecryptBlock(const unsigned char in[16], unsigned char out[16]) const;

    bool ready_ = false;
    std::uint32_t schedule_[kScheduleWords] = {}; // round keys of the equivalent inverse cipher
    unsigned char chain_[kBlockBytes] = {};
};
