#include "lib/Certificate/Rijndael.h"
#include "lib/Certificate/RijndaelEncryptor.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using certificate_test::Bytes;
using certificate_test::Hex;

const char kKey[] = "2b7e151628aed2a6abf7158809cf4f3c";

TEST(RijndaelTest, KnownAnswersOfSingleBlocksInBothDirections) {
    // FIPS-197 appendices B and C.1, and the first ECB-AES128 example of NIST SP 800-38A.
    const char* vectors[][3] = {// key, plain, cipher
                                {kKey, "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
                                {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
                                 "69c4e0d86a7b0430d8cdb78070b4c55a"},
                                {kKey, "6bc1bee22e409f96e93d7e117393172a", "3ad77bb40d7a3660a89ecaf32466ef97"}};
    for (const auto& v : vectors) {
        const auto key = Bytes(v[0]), plain = Bytes(v[1]), cipher = Bytes(v[2]);
        unsigned char out[16];
        Rijndael decryptor;
        ASSERT_TRUE(decryptor.Init(128, 128, key.data()));
        ASSERT_TRUE(decryptor.Decrypt(cipher.data(), 16, out, Rijndael::kEcb));
        EXPECT_EQ(v[1], Hex(out, 16));
        RijndaelEncryptor encryptor;
        ASSERT_TRUE(encryptor.Init(128, 128, key.data()));
        ASSERT_TRUE(encryptor.Encrypt(plain.data(), 16, out, Rijndael::kEcb));
        EXPECT_EQ(v[2], Hex(out, 16));
    }
}

// NIST SP 800-38A CBC-AES128. The objects chain from an all-zero value, so the example's
// initialisation vector is applied to the first block by hand.
TEST(RijndaelTest, CbcOfTheStandardExampleInOneOrSeveralRuns) {
    const char plain[] = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                         "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
    const char cipher[] = "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                          "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7";
    const auto key = Bytes(kKey), iv = Bytes("000102030405060708090a0b0c0d0e0f");
    for (std::size_t firstRun : {64u, 16u, 0u}) {
        std::vector<unsigned char> data = Bytes(cipher); // deciphered in place
        Rijndael decryptor;
        ASSERT_TRUE(decryptor.Init(128, 128, key.data()));
        ASSERT_TRUE(decryptor.Decrypt(data.data(), firstRun, data.data(), Rijndael::kCbc));
        ASSERT_TRUE(decryptor.Decrypt(data.data() + firstRun, 64 - firstRun, data.data() + firstRun, Rijndael::kCbc));
        for (int i = 0; i < 16; ++i) data[i] ^= iv[i];
        EXPECT_EQ(plain, Hex(data.data(), 64)) << "first run of " << firstRun << " bytes";

        for (int i = 0; i < 16; ++i) data[i] ^= iv[i];
        RijndaelEncryptor encryptor;
        ASSERT_TRUE(encryptor.Init(128, 128, key.data()));
        ASSERT_TRUE(encryptor.Encrypt(data.data(), firstRun, data.data(), Rijndael::kCbc));
        ASSERT_TRUE(encryptor.Encrypt(data.data() + firstRun, 64 - firstRun, data.data() + firstRun, Rijndael::kCbc));
        EXPECT_EQ(cipher, Hex(data.data(), 64)) << "first run of " << firstRun << " bytes";
    }
}

TEST(RijndaelTest, RefusesWhatItCannotDo) {
    const auto key = Bytes(kKey);
    unsigned char block[32] = {}, out[32] = {0x55};
    struct Case { int blockBits, keyBits; const unsigned char* key; std::size_t length; int mode; };
    const Case cases[] = {
        {128, 192, key.data(), 16, Rijndael::kEcb}, {192, 128, key.data(), 16, Rijndael::kEcb},
        {128, 128, nullptr, 16, Rijndael::kEcb},    {128, 128, key.data(), 16, 3},
        {128, 128, key.data(), 15, Rijndael::kCbc}, {128, 128, key.data(), 17, Rijndael::kEcb},
    };
    for (const Case& c : cases) {
        const bool initOk = c.blockBits == 128 && c.keyBits == 128 && c.key;
        Rijndael decryptor;
        RijndaelEncryptor encryptor;
        EXPECT_EQ(initOk, decryptor.Init(c.blockBits, c.keyBits, c.key));
        EXPECT_EQ(initOk, encryptor.Init(c.blockBits, c.keyBits, c.key));
        EXPECT_FALSE(decryptor.Decrypt(block, c.length, out, c.mode)) << c.keyBits << " " << c.length << " " << c.mode;
        EXPECT_FALSE(encryptor.Encrypt(block, c.length, out, c.mode)) << c.keyBits << " " << c.length << " " << c.mode;
        EXPECT_EQ(0x55, out[0]) << "a refused run must leave the output alone";
    }
}

} // namespace
