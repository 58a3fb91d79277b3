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

    static std::string Decrypted(std::string file) {
        std::size_t length = file.size();
        Encryption::Decrypt(file.data(), length, publicKey_.c_str());
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
    struct Case { const char* what; std::string file; std::size_t length; std::string key; int line; std::string context; };
    const std::string length = "Unexpected Certificate file length.  Decryption fails.",
                      rsa = "RSA encryption fails.  Check Public Key.";
    const Case cases[] = {
        {"length 0", "", 0, publicKey_, 130, length},
        {"length 32, key without dash", std::string(32, '\0'), 32, noDash, 130, length},
        {"length 48", std::string(48, '\0'), 48, publicKey_, 130, length},
        {"key without dash", good, good.size(), noDash, 151, rsa},
        {"key not hexadecimal", good, good.size(), "10001-XYZ", 151, rsa},
        {"number not below the modulus", tooLarge, 33, publicKey_, 151, rsa},
        {"opening byte not zero", Build(1, ""), 33, publicKey_, 160,
         "Expected opening certificate byte of zero.  Decryption fails."},
        {"hash differs", badHash, badHash.size(), publicKey_, 183, "Bad hash comparison.  Decryption fails."},
        {"null buffer", "", 33, publicKey_, 125, "NULL buffer pointer supplied.  Decryption fails."},
    };
    for (const Case& c : cases) {
        std::string buffer = c.file;
        std::size_t size = c.length;
        char* data = c.line == 125 ? nullptr : buffer.data();
        const ContextException e = Thrown([&] { Encryption::Decrypt(data, size, c.key.c_str()); });
        EXPECT_STREQ("Encryption::Decrypt", e.Where()) << c.what;
        EXPECT_EQ(c.context, e.Context()) << c.what;
        EXPECT_EQ("lib/Certificate/Encryption.cpp:" + std::to_string(c.line), Place(e)) << c.what;
    }
}

// Trailing zeros and inner zeros are covered by the maker's round trip; an empty text area
// has the starting value as its hash.
TEST_F(EncryptionTest, AnEmptyTextAreaHashesToTheStartingValue) {
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

} // namespace
