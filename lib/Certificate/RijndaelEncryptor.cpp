#include "lib/Certificate/RijndaelEncryptor.h"

#include "lib/Certificate/RijndaelTables.h"

#include <cstring>

using namespace rijndael_tables;

namespace {

constexpr RoundTables kForwardRound = MakeForwardRoundTables();

std::uint32_t Load(const unsigned char* p) {
    return Word(p[0], p[1], p[2], p[3]);
}

void Store(std::uint32_t w, unsigned char* p) {
    p[0] = static_cast<unsigned char>(w >> 24);
    p[1] = static_cast<unsigned char>(w >> 16);
    p[2] = static_cast<unsigned char>(w >> 8);
    p[3] = static_cast<unsigned char>(w);
}

std::uint32_t LastRound(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return Word(kSBox[a >> 24], kSBox[(b >> 16) & 0xff], kSBox[(c >> 8) & 0xff], kSBox[d & 0xff]);
}

} // namespace

bool RijndaelEncryptor::Init(int blockBits, int keyBits, const unsigned char* key) {
    ready_ = false;
    if (blockBits != 128 || keyBits != 128 || key == nullptr) return false;
    Rijndael::ExpandKey(key, schedule_);
    std::memset(chain_, 0, sizeof chain_);
    ready_ = true;
    return true;
}

void RijndaelEncryptor::EncryptBlock(const unsigned char in[16], unsigned char out[16]) const {
    const std::uint32_t* rk = schedule_;
    std::uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
    std::uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
    const auto& t = kForwardRound;
    for (int round = 1; round < 10; ++round) {
        rk += 4;
        const std::uint32_t t0 = t[0][s0 >> 24] ^ t[1][(s1 >> 16) & 0xff] ^ t[2][(s2 >> 8) & 0xff] ^ t[3][s3 & 0xff] ^ rk[0];
        const std::uint32_t t1 = t[0][s1 >> 24] ^ t[1][(s2 >> 16) & 0xff] ^ t[2][(s3 >> 8) & 0xff] ^ t[3][s0 & 0xff] ^ rk[1];
        const std::uint32_t t2 = t[0][s2 >> 24] ^ t[1][(s3 >> 16) & 0xff] ^ t[2][(s0 >> 8) & 0xff] ^ t[3][s1 & 0xff] ^ rk[2];
        const std::uint32_t t3 = t[0][s3 >> 24] ^ t[1][(s0 >> 16) & 0xff] ^ t[2][(s1 >> 8) & 0xff] ^ t[3][s2 & 0xff] ^ rk[3];
        s0 = t0; s1 = t1; s2 = t2; s3 = t3;
    }
    rk += 4;
    Store(LastRound(s0, s1, s2, s3) ^ rk[0], out);
    Store(LastRound(s1, s2, s3, s0) ^ rk[1], out + 4);
    Store(LastRound(s2, s3, s0, s1) ^ rk[2], out + 8);
    Store(LastRound(s3, s0, s1, s2) ^ rk[3], out + 12);
}

bool RijndaelEncryptor::Encrypt(const unsigned char* in, std::size_t length, unsigned char* out, int mode) {
    if (!ready_ || (mode != Rijndael::kEcb && mode != Rijndael::kCbc) || length % Rijndael::kBlockBytes != 0) {
        return false;
    }
    if (length != 0 && (in == nullptr || out == nullptr)) return false;
    for (std::size_t offset = 0; offset < length; offset += Rijndael::kBlockBytes) {
        unsigned char block[Rijndael::kBlockBytes];
        std::memcpy(block, in + offset, sizeof block);
        if (mode == Rijndael::kCbc) {
            for (int i = 0; i < Rijndael::kBlockBytes; ++i) block[i] ^= chain_[i];
        }
        EncryptBlock(block, out + offset);
        if (mode == Rijndael::kCbc) std::memcpy(chain_, out + offset, sizeof chain_);
    }
    return true;
}
