// The cipher parts of the configuration files: big numbers, the block cipher, the key
// pairs and the file's deciphering.
#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/Primes.h"
#include "lib/Certificate/Rijndael.h"
#include "lib/Certificate/RijndaelEncryptor.h"
#include "lib/Certificate/SigningKey.h"
#include "TestSupport.h"

#include <cstring>
#include <stdexcept>

namespace {

using namespace certificate_test;

BigNumber N(const char* hex) { BigNumber n; EXPECT_TRUE(BigNumber::FromHex(hex, n)) << hex; return n; }

TEST(BigNumberTest, AgreesWithAnIndependentComputation) {
    // base ^ exponent mod modulus, from Python's pow(m, e, n).
    const char* pow[][4] = {
        {"3EC5C2E3BC322BD5635917D45926363FE6A11024DE2BA9C8CF2ED1DF8B64441C", "10001",
         "6DDC012F8A7865584456D044BC1F49414FE4F526311D5D724D5BAA978983B6369",
         "488AF6B67C3BD2FDE2D8D40097E84CBEDB2BAB9A0D888FA746D10E11A1012BF5E"},
        {"75BCD15", "0", "F4243", "1"},
    };
    for (const auto& v : pow) EXPECT_EQ(v[3], BigNumber::PowMod(N(v[0]), N(v[1]), N(v[2])).ToHex()) << v[0];

    // Dividend, divisor, quotient, remainder; the middle cases need the estimate corrections.
    const char* div[][4] = {
        {"7FFFFFFF800000000000000000000000", "800000000000000100000000", "FFFFFFFE", "7FFFFFFF0000000200000000"},
        {"1000000000000000000000000000000000000000000000000", "FFFFFFFFFFFFFFFFFFFFFFFF", "1000000000000000000000001", "1"},
        {"3000000000000000000000000", "1000000000000000000000003", "2", "FFFFFFFFFFFFFFFFFFFFFFFA"},
    };
    for (const auto& v : div) {
        BigNumber q, r;
        BigNumber::DivMod(N(v[0]), N(v[1]), q, r);
        EXPECT_EQ(std::string(v[2]) + " " + v[3], q.ToHex() + " " + r.ToHex()) << v[0] << " / " << v[1];
    }
}

TEST(BigNumberTest, QuotientTimesDivisorPlusRemainderGivesTheDividend) {
    SeededRandom random(7);
    for (int i = 0; i < 400; ++i) {
        unsigned char a[80], b[80];
        const std::size_t aLen = 1 + random.Below(sizeof a), bLen = 1 + random.Below(aLen);
        random.Fill(a, aLen);
        random.Fill(b, bLen);
        if (i % 3 == 0) b[0] = 0x80; // divisors whose top limb has its high bit set or nearly
        const BigNumber u = BigNumber::FromBytes(a, aLen), v = BigNumber::FromBytes(b, bLen);
        if (v.IsZero()) continue;
        BigNumber q, r;
        BigNumber::DivMod(u, v, q, r);
        ASSERT_TRUE(r < v) << u.ToHex() << " % " << v.ToHex();
        ASSERT_EQ(u, q * v + r) << u.ToHex() << " / " << v.ToHex();
        ASSERT_EQ(u, (u + v) - v);
    }
}

// Bytes count most significant first; ToBytes is proved by the maker's round trips.
TEST(BigNumberTest, TextAndByteFormsAndImpossibleArithmetic) {
    EXPECT_EQ("00000ABC", N("00aBc").ToHex(8));
    const unsigned char bytes[] = {0x00, 0x01, 0x02, 0x03};
    EXPECT_EQ("10203", BigNumber::FromBytes(bytes, sizeof bytes).ToHex());
    for (const char* bad : {"12G4", "-1", " 1", "0x10"}) {
        BigNumber kept(5);
        EXPECT_FALSE(BigNumber::FromHex(bad, kept)) << bad;
        EXPECT_EQ(BigNumber(5), kept) << bad;
    }
    BigNumber q, r;
    EXPECT_THROW(BigNumber(1) - BigNumber(2), std::domain_error);
    EXPECT_THROW(BigNumber::DivMod(BigNumber(1), BigNumber(), q, r), std::domain_error);
    EXPECT_THROW(BigNumber::PowMod(BigNumber(2), BigNumber(3), BigNumber()), std::domain_error);
}

const char kKey[] = "2b7e151628aed2a6abf7158809cf4f3c";

// FIPS-197 appendix B, one block in ECB; NIST SP 800-38A CBC-AES128 in one or several runs,
// in place. The objects chain from an all-zero value, so the example's initialisation vector
// is applied to the first block by hand.
TEST(RijndaelTest, KnownAnswersInBothDirections) {
    const auto key = Bytes(kKey), iv = Bytes("000102030405060708090a0b0c0d0e0f");
    const auto ecbPlain = Bytes("3243f6a8885a308d313198a2e0370734"), ecbCipher = Bytes("3925841d02dc09fbdc118597196a0b32");
    unsigned char out[16];
    Rijndael ecbDecryptor;
    RijndaelEncryptor ecbEncryptor;
    ASSERT_TRUE(ecbDecryptor.Init(128, 128, key.data()) && ecbEncryptor.Init(128, 128, key.data()));
    ASSERT_TRUE(ecbDecryptor.Decrypt(ecbCipher.data(), 16, out, Rijndael::kEcb));
    EXPECT_EQ(Hex(ecbPlain.data(), 16), Hex(out, 16));
    ASSERT_TRUE(ecbEncryptor.Encrypt(ecbPlain.data(), 16, out, Rijndael::kEcb));
    EXPECT_EQ(Hex(ecbCipher.data(), 16), Hex(out, 16));

    const char plain[] = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                         "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
    const char cipher[] = "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                          "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7";
    for (std::size_t firstRun : {64u, 16u, 0u}) {
        std::vector<unsigned char> data = Bytes(cipher); // deciphered in place
        Rijndael decryptor;
        RijndaelEncryptor encryptor;
        ASSERT_TRUE(decryptor.Init(128, 128, key.data()) && encryptor.Init(128, 128, key.data()));
        ASSERT_TRUE(decryptor.Decrypt(data.data(), firstRun, data.data(), Rijndael::kCbc));
        ASSERT_TRUE(decryptor.Decrypt(data.data() + firstRun, 64 - firstRun, data.data() + firstRun, Rijndael::kCbc));
        for (int i = 0; i < 16; ++i) data[i] ^= iv[i];
        EXPECT_EQ(plain, Hex(data.data(), 64)) << "first run of " << firstRun << " bytes";

        for (int i = 0; i < 16; ++i) data[i] ^= iv[i];
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

// Signing and its undoing are proved by the round trips of CertificateMakerTest.
TEST(SigningKeyTest, GeneratedPairsHaveTheProgramsForm) {
    const SigningKey& key = TestKey(0);
    const std::string text = key.PublicKeyText();
    ASSERT_EQ(130u, text.size());
    EXPECT_EQ(std::string(59, '0') + "10001-", text.substr(0, 65));
    EXPECT_NE('0', text[65]) << "the modulus has 65 significant digits";
    EXPECT_EQ(text, SigningKey::FromText(key.FileText()).PublicKeyText());
}

TEST(SigningKeyTest, MalformedKeyFilesAreRefused) {
    const std::string good = TestKey(1).FileText();
    const auto publicAt = good.find("public = ") + 9, privateAt = good.find("private = ") + 10;
    const std::string cases[] = {
        "",
        good.substr(0, good.find("private")),
        std::string(good).replace(publicAt + 66, 1, "a"),                                       // lower case
        std::string(good).replace(publicAt + 65, 1, "0"),                                       // modulus below 2^256
        std::string(good).replace(privateAt + 10, 1, good[privateAt + 10] == '1' ? "2" : "1"), // another pair's
        good + "secret = 1\n",
    };
    for (const std::string& text : cases) EXPECT_THROW(SigningKey::FromText(text), SigningKey::format_error) << text;
    EXPECT_THROW(SigningKey::Load(HostPath("/nonexistent/key.txt")), SigningKey::file_error);
}

TEST(SigningKeyTest, PrimalityTest) {
    SeededRandom random(2);
    // 2, 997, 2^127-1; 0, 1, 561 (Carmichael), 3215031751 (strong pseudoprime to 2, 3, 5, 7), (2^127-1)(2^61-1).
    const char* primes[] = {"2", "3E5", "7FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"};
    const char* composites[] = {"0", "1", "231", "BFA17DC7", "FFFFFFFFFFFFFFF7FFFFFFFFFFFFFFFE000000000000001"};
    for (const char* hex : primes) EXPECT_TRUE(Primes::IsProbablePrime(N(hex), random)) << hex;
    for (const char* hex : composites) EXPECT_FALSE(Primes::IsProbablePrime(N(hex), random)) << hex;
}

// A file from its deciphered parts: the opening byte, the hash block (the right hash unless
// one is given) and the text area, which must be whole blocks.
std::string Build(unsigned char opening, const std::string& area, const unsigned char* hash = nullptr) {
    std::vector<unsigned char> plain(16 + area.size());
    std::memcpy(plain.data() + 16, area.data(), area.size());
    if (hash) std::memcpy(plain.data(), hash, 16);
    else Encryption::CalcHash(plain.data() + 16, area.size(), plain.data());
    const unsigned char aesKey[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    RijndaelEncryptor cipher;
    EXPECT_TRUE(cipher.Init(128, 128, aesKey) && cipher.Encrypt(plain.data(), plain.size(), plain.data(), Rijndael::kCbc));
    unsigned char head[33] = {opening};
    std::memcpy(head + 1, aesKey, 16);
    std::memcpy(head + 17, plain.data(), 16);
    std::string file(33 + area.size(), '\0');
    TestKey(0).Sign(BigNumber::FromBytes(head, 33)).ToBytes(reinterpret_cast<unsigned char*>(file.data()), 33);
    std::memcpy(file.data() + 33, plain.data() + 16, area.size());
    return file;
}

TEST(EncryptionTest, FailuresComeInOrderWithTheirTexts) {
    const std::string publicKey = TestKey(0).PublicKeyText();
    const std::string good = Build(0, std::string(32, 'x'));
    const std::string noDash = std::string(publicKey).replace(64, 1, "0");
    std::string badHash = good;
    badHash[40] ^= 1;
    unsigned char hash[16];
    Encryption::HashStart(hash); // an empty text area has the starting value as its hash
    std::string empty = Build(0, "", hash);
    std::size_t emptyLength = empty.size();
    Encryption::Decrypt(empty.data(), emptyLength, publicKey.c_str());
    EXPECT_EQ(0u, emptyLength);
    hash[15] ^= 1;
    const std::string lastHashByte = Build(0, "", hash);
    const std::string length = "Unexpected Certificate file length.", rsa = "RSA encryption fails.  Check Public Key.",
                      hashText = "Bad hash comparison.  Decryption fails.";
    struct Case { std::string file; std::size_t length; std::string key; std::string context; bool null = false; };
    const Case cases[] = {
        {"", 0, publicKey, length},
        {std::string(33, '\0'), 17, publicKey, length}, // one block and a byte: shorter than the header
        {std::string(32, '\0'), 32, noDash, length},
        {std::string(48, '\0'), 48, publicKey, length},
        {good, good.size(), noDash, rsa},
        {good, good.size(), "10001-XYZ", rsa},
        {std::string(33, '\xff'), 33, publicKey, rsa}, // a number not below the modulus
        {Build(1, ""), 33, publicKey, "Expected opening certificate byte of zero.  Decryption fails."},
        {badHash, badHash.size(), publicKey, hashText},
        {lastHashByte, 33, publicKey, hashText},
        {"", 33, publicKey, "NULL buffer pointer supplied.  Decryption fails.", true},
    };
    for (const Case& c : cases) {
        std::string buffer = c.file;
        std::size_t size = c.length;
        const ContextException e = Thrown([&] { Encryption::Decrypt(c.null ? nullptr : buffer.data(), size, c.key.c_str()); });
        EXPECT_STREQ("Encryption::Decrypt", e.Where()) << c.context;
        EXPECT_EQ(0u, std::string(e.Context()).find(c.context)) << c.file.size() << ": " << e.Context();
    }
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
    EXPECT_THROW(Encryption::CalcHash(area.data(), 40, base), ContextException);
}

} // namespace
