#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/Rijndael.h"
#include "lib/Certificate/RijndaelEncryptor.h"
#include "lib/Certificate/SigningKey.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

using certificate_test::Hex;
using certificate_test::Place;
using certificate_test::SeededRandom;
using certificate_test::Thrown;

class EncryptionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SeededRandom random(11);
        key_.emplace(SigningKey::Generate(random));
        publicKey_ = key_->PublicKeyText();
    }

    // A file from its deciphered parts: the opening byte, the hash block (the right hash
    // unless one is given) and the text area, which must be whole blocks.
    static std::string Build(unsigned char opening, const std::string& area, const unsigned char* hash = nullptr) {
        std::vector<unsigned char> plain(16 + area.size());
        std::memcpy(plain.data() + 16, area.data(), area.size());
        if (hash) {
            std::memcpy(plain.data(), hash, 16);
        } else {
            Encryption::CalcHash(plain.data() + 16, area.size(), plain.data());
        }
        const unsigned char aesKey[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        RijndaelEncryptor cipher;
        EXPECT_TRUE(cipher.Init(128, 128, aesKey));
        EXPECT_TRUE(cipher.Encrypt(plain.data(), plain.size(), plain.data(), Rijndael::kCbc));
        unsigned char head[33] = {opening};
        std::memcpy(head + 1, aesKey, 16);
        std::memcpy(head + 17, plain.data(), 16);
        std::string file(33 + area.size(), '\0');
        key_->Sign(BigNumber::FromBytes(head, 33)).ToBytes(reinterpret_cast<unsigned char*>(file.data()), 33);
        std::memcpy(file.data() + 33, plain.data() + 16, area.size());
        return file;
    }

    static std::string Decrypted(std::string file, const char* key = publicKey_.c_str()) {
        std::size_t length = file.size();
        Encryption::Decrypt(file.data(), length, key);
        return file.substr(0, length);
    }

    static std::optional<SigningKey> key_;
    static std::string publicKey_;
};

std::optional<SigningKey> EncryptionTest::key_;
std::string EncryptionTest::publicKey_;

TEST_F(EncryptionTest, FailuresComeInOrderWithTheirTexts) {
    const std::string good = Build(0, std::string(32, 'x'));
    const std::string noDash = std::string(publicKey_).replace(64, 1, "0");
    std::string tooLarge(33, '\xff');
    std::string badHash = good;
    badHash[40] ^= 1;
    struct Case { const char* what; std::string file; std::size_t length; std::string key; int line; const char* context; };
    const Case cases[] = {
        {"length 0", "", 0, publicKey_, 130, "Unexpected Certificate file length.  Decryption fails."},
        {"length 32, key without dash", std::string(32, '\0'), 32, noDash, 130,
         "Unexpected Certificate file length.  Decryption fails."},
        {"length 34", std::string(34, '\0'), 34, publicKey_, 130, "Unexpected Certificate file length.  Decryption fails."},
        {"length 48", std::string(48, '\0'), 48, publicKey_, 130, "Unexpected Certificate file length.  Decryption fails."},
        {"key without dash", good, good.size(), noDash, 151, "RSA encryption fails.  Check Public Key."},
        {"key not hexadecimal", good, good.size(), "10001-XYZ", 151, "RSA encryption fails.  Check Public Key."},
        {"number not below the modulus", tooLarge, 33, publicKey_, 151, "RSA encryption fails.  Check Public Key."},
        {"opening byte not zero", Build(1, ""), 33, publicKey_, 160,
         "Expected opening certificate byte of zero.  Decryption fails."},
        {"hash differs", badHash, badHash.size(), publicKey_, 183, "Bad hash comparison.  Decryption fails."},
    };
    for (const Case& c : cases) {
        std::string buffer = c.file;
        std::size_t length = c.length;
        const ContextException e = Thrown([&] { Encryption::Decrypt(buffer.data(), length, c.key.c_str()); });
        EXPECT_STREQ("Encryption::Decrypt", e.Where()) << c.what;
        EXPECT_STREQ(c.context, e.Context()) << c.what;
        EXPECT_STREQ("ContextException", e.Name()) << c.what;
        EXPECT_EQ("lib/Certificate/Encryption.cpp:" + std::to_string(c.line), Place(e)) << c.what;
    }
    std::size_t length = 33;
    const ContextException e = Thrown([&] { Encryption::Decrypt(nullptr, length, publicKey_.c_str()); });
    EXPECT_STREQ("NULL buffer pointer supplied.  Decryption fails.", e.Context());
    EXPECT_EQ("lib/Certificate/Encryption.cpp:125", Place(e));
}

TEST_F(EncryptionTest, TextAreaLosesItsTrailingZerosOnly) {
    const std::string cases[][2] = {// text area, text
                                    {"", ""},
                                    {std::string(16, '\0'), ""},
                                    {std::string("abc\0def", 7) + std::string(9, '\0'), std::string("abc\0def", 7)},
                                    {std::string(47, 'q') + '\0', std::string(47, 'q')},
                                    {std::string(48, 'z'), std::string(48, 'z')}};
    for (const auto& c : cases) EXPECT_EQ(c[1], Decrypted(Build(0, c[0]))) << "area of " << c[0].size() << " bytes";

    // With no text area at all the hash is the starting value.
    unsigned char start[16];
    Encryption::HashStart(start);
    EXPECT_EQ("", Decrypted(Build(0, "", start)));
}

TEST(EncryptionHashTest, OnlyTheBlocksAtEvenPositionsCount) {
    std::vector<unsigned char> area(96);
    for (std::size_t i = 0; i < area.size(); ++i) area[i] = static_cast<unsigned char>(i * 7);
    unsigned char base[16], changed[16];
    Encryption::CalcHash(area.data(), area.size(), base);
    for (std::size_t block = 0; block < 6; ++block) {
        std::vector<unsigned char> other = area;
        other[block * 16 + 5] ^= 0x20;
        Encryption::CalcHash(other.data(), other.size(), changed);
        EXPECT_EQ(block % 2 == 1, Hex(base, 16) == Hex(changed, 16)) << "block at offset " << block * 16;
    }
    const ContextException e = Thrown([&] { Encryption::CalcHash(area.data(), 40, base); });
    EXPECT_STREQ("Encryption::CalcHash", e.Where());
    EXPECT_STREQ("Input buffer is not a multiple of 16 bytes in length.", e.Context());
    EXPECT_EQ("lib/Certificate/Encryption.cpp:58", Place(e));
}

TEST(EncryptionRsaTest, PublicOperationChecksItsKeyAndNumber) {
    // 3 ^ 5 mod 7 = 5.
    struct Case { const char* key; std::uint64_t number; bool ok; std::uint64_t result; };
    const Case cases[] = {
        {"5-7", 3, true, 5},   {"0005-0007", 3, true, 5}, {"5-7", 6, true, 6}, {"5-7", 7, false, 7},
        {"57", 3, false, 3},   {"5-7-1", 3, false, 3},    {"5-", 3, false, 3}, {"-7", 3, true, 1},
        {"5-g7", 3, false, 3}, {"", 3, false, 3},
    };
    for (const Case& c : cases) {
        BigNumber n(c.number);
        EXPECT_EQ(c.ok, Encryption::RsaPublic(n, c.key)) << c.key;
        EXPECT_EQ(BigNumber(c.result), n) << c.key;
    }
    BigNumber n(3);
    EXPECT_FALSE(Encryption::RsaPublic(n, nullptr));
}

} // namespace
