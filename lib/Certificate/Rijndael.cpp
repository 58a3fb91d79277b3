#include "lib/Certificate/Rijndael.h"

#include "lib/Certificate/RijndaelTables.h"

#include <cstring>

using namespace rijndael_tables;

namespace {

constexpr RoundTables kInverseRound = MakeInverseRoundTables();

std::uint32_t Load(const unsigned char* p) {
    return Word(p[0], p[1], p[2], p[3]);
}

void Store(std::uint32_t w, unsigned char* p) {
    p[0] = static_cast<unsigned char>(w >> 24);
    p[1] = static_cast<unsigned char>(w >> 16);
    p[2] = static_cast<unsigned char>(w >> 8);
    p[3] = static_cast<unsigned char>(w);
}

std::uint32_t SubWord(std::uint32_t w) {
    return Word(kSBox[w >> 24], kSBox[(w >> 16) & 0xff], kSBox[(w >> 8) & 0xff], kSBox[w & 0xff]);
}

// InvMixColumns of one column: the inverse round tables undo the inverse S-box first.
std::uint32_t InverseMixColumn(std::uint32_t w) {
    return kInverseRound[0][kSBox[w >> 24]] ^ kInverseRound[1][kSBox[(w >> 16) & 0xff]] ^
           kInverseRound[2][kSBox[(w >> 8) & 0xff]] ^ kInverseRound[3][kSBox[w & 0xff]];
}

std::uint32_t InverseLastRound(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return Word(kInverseSBox[a >> 24], kInverseSBox[(b >> 16) & 0xff], kInverseSBox[(c >> 8) & 0xff],
                kInverseSBox[d & 0xff]);
}

} // namespace

void Rijndael::ExpandKey(const unsigned char key[16], std::uint32_t schedule[kScheduleWords]) {
    for (int i = 0; i < 4; ++i) schedule[i] = Load(key + 4 * i);
    for (int i = 4; i < kScheduleWords; ++i) {
        std::uint32_t temp = schedule[i - 1];
        if (i % 4 == 0) {
            temp = SubWord((temp << 8) | (temp >> 24)) ^ (std::uint32_t{kRoundConstants[i / 4 - 1]} << 24);
        }
        schedule[i] = schedule[i - 4] ^ temp;
    }
}

bool Rijndael::Init(int blockBits, int keyBits, const unsigned char* key) {
    ready_ = false;
    if (blockBits != 128 || keyBits != 128 || key == nullptr) return false;

    std::uint32_t forward[kScheduleWords];
    ExpandKey(key, forward);
    // The equivalent inverse cipher takes the round keys in reverse order, with
    // InvMixColumns applied to all but the first and the last.
    for (int round = 0; round <= 10; ++round) {
        for (int j = 0; j < 4; ++j) {
            const std::uint32_t w = forward[4 * (10 - round) + j];
            schedule_[4 * round + j] = (round == 0 || round == 10) ? w : InverseMixColumn(w);
        }
    }
    std::memset(chain_, 0, sizeof chain_);
    ready_ = true;
    return true;
}

void Rijndael::DecryptBlock(const unsigned char in[16], unsigned char out[16]) const {
    const std::uint32_t* rk = schedule_;
    std::uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
    std::uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
    const auto& t = kInverseRound;
    for (int round = 1; round < 10; ++round) {
        rk += 4;
        const std::uint32_t t0 = t[0][s0 >> 24] ^ t[1][(s3 >> 16) & 0xff] ^ t[2][(s2 >> 8) & 0xff] ^ t[3][s1 & 0xff] ^ rk[0];
        const std::uint32_t t1 = t[0][s1 >> 24] ^ t[1][(s0 >> 16) & 0xff] ^ t[2][(s3 >> 8) & 0xff] ^ t[3][s2 & 0xff] ^ rk[1];
        const std::uint32_t t2 = t[0][s2 >> 24] ^ t[1][(s1 >> 16) & 0xff] ^ t[2][(s0 >> 8) & 0xff] ^ t[3][s3 & 0xff] ^ rk[2];
        const std::uint32_t t3 = t[0][s3 >> 24] ^ t[1][(s2 >> 16) & 0xff] ^ t[2][(s1 >> 8) & 0xff] ^ t[3][s0 & 0xff] ^ rk[3];
        s0 = t0; s1 = t1; s2 = t2; s3 = t3;
    }
    rk += 4;
    Store(InverseLastRound(s0, s3, s2, s1) ^ rk[0], out);
    Store(InverseLastRound(s1, s0, s3, s2) ^ rk[1], out + 4);
    Store(InverseLastRound(s2, s1, s0, s3) ^ rk[2], out + 8);
    Store(InverseLastRound(s3, s2, s1, s0) ^ rk[3], out + 12);
}

bool Rijndael::Decrypt(const unsigned char* in, std::size_t length, unsigned char* out, int mode) {
    if (!ready_ || (mode != kEcb && mode != kCbc) || length % kBlockBytes != 0) return false;
    if (length != 0 && (in == nullptr || out == nullptr)) return false;
    for (std::size_t offset = 0; offset < length; offset += kBlockBytes) {
        unsigned char cipher[kBlockBytes];
        std::memcpy(cipher, in + offset, kBlockBytes); // out may overwrite in
        DecryptBlock(cipher, out + offset);
        if (mode == kCbc) {
            for (int i = 0; i < kBlockBytes; ++i) out[offset + i] ^= chain_[i];
            std::memcpy(chain_, cipher, kBlockBytes);
        }
    }
    return true;
}
