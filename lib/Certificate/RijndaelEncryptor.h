#pragma once
// RijndaelEncryptor: the forward AES cipher (128-bit block and key) in ECB or CBC mode,
// the counterpart of Rijndael for the file maker. The CBC chaining value starts all zero
// at Init and carries over between runs. Used by one thread at a time.
#include <cstddef>
#include <cstdint>

#include "lib/Certificate/Rijndael.h"

class RijndaelEncryptor {
public:
    // Only a 128-bit block and a 128-bit key are supported.
    bool Init(int blockBits, int keyBits, const unsigned char* key);
    // Enciphers length bytes (whole blocks) from in to out, which may be the same place.
    bool Encrypt(const unsigned char* in, std::size_t length, unsigned char* out, int mode);

private:
    void EncryptBlock(const unsigned char in[16], unsigned char out[16]) const;

    bool ready_ = false;
    std::uint32_t schedule_[Rijndael::kScheduleWords] = {};
    unsigned char chain_[Rijndael::kBlockBytes] = {};
};
