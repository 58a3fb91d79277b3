#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/Primes.h"
#include "lib/Certificate/SigningKey.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace {

using certificate_test::HostPath;
using certificate_test::ScratchFile;
using certificate_test::SeededRandom;
using certificate_test::Thrown;

class CertificateMakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SeededRandom random(23);
        key_.emplace(SigningKey::Generate(random));
        otherKey_.emplace(SigningKey::Generate(random));
    }
    static std::optional<SigningKey> key_, otherKey_;
};

std::optional<SigningKey> CertificateMakerTest::key_, CertificateMakerTest::otherKey_;

TEST_F(CertificateMakerTest, RandomTextsRoundTrip) {
    SeededRandom random(5);
    const std::string publicKey = key_->PublicKeyText();
    for (std::size_t length = 0; length <= 4200; length += 1 + length / 8) {
        std::string text(length, '\0');
        random.Fill(reinterpret_cast<unsigned char*>(text.data()), length);
        if (length) text.back() = static_cast<char>(1 + random.Below(255));
        const std::string file = CertificateMaker::Make(text, *key_, random);
        const std::size_t blocks = CertificateMaker::TextBlocks(length);
        ASSERT_EQ(33 + 16 * blocks, file.size()) << length;
        ASSERT_TRUE(blocks == 0 || blocks % 2 == 1) << length;
        ASSERT_GE(16 * blocks, length);
        ASSERT_EQ(text, CertificateMaker::Open(file, publicKey.c_str())) << length;
    }
}

TEST_F(CertificateMakerTest, ChangingAnyByteIsDetected) {
    SeededRandom random(9);
    const std::string text = "&PICKY&\n&DEFINE_FIELD& Mode = DAO, TAO\nMode = DAO\n&DEFINE_FIELD& Base\nBase = Software\\X\n";
    const std::string file = CertificateMaker::Make(text, *key_, random);
    const std::string publicKey = key_->PublicKeyText();
    for (std::size_t i = 0; i < file.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xff}) {
            std::string changed = file;
            changed[i] = static_cast<char>(changed[i] ^ mask);
            EXPECT_THROW(CertificateMaker::Open(changed, publicKey.c_str()), ContextException)
                << "byte " << i << " mask " << int{mask};
        }
    }
    for (std::size_t cut : {16u, 32u, 48u}) {
        EXPECT_THROW(CertificateMaker::Open(file.substr(0, file.size() - cut), publicKey.c_str()), ContextException)
            << "cut by " << cut;
    }
}

TEST_F(CertificateMakerTest, AFileSignedWithAnotherKeyIsRefused) {
    SeededRandom random(3);
    const std::string publicKey = key_->PublicKeyText();
    for (int i = 0; i < 20; ++i) {
        const std::string file = CertificateMaker::Make("Plugin_BurnMethod = DAO", *otherKey_, random);
        const ContextException e = Thrown([&] { CertificateMaker::Open(file, publicKey.c_str()); });
        EXPECT_STREQ("Encryption::Decrypt", e.Where());
    }
    ScratchFile file("other-key.qcf", CertificateMaker::Make("a = 1", *otherKey_, random));
    Certificate certificate;
    EXPECT_FALSE(certificate.Read(file.Path().c_str(), publicKey.c_str()));
    EXPECT_TRUE(certificate.Read(file.Path().c_str(), otherKey_->PublicKeyText().c_str()));
    EXPECT_EQ(1, certificate.GetFieldAsNumber("a"));
}

TEST_F(CertificateMakerTest, TextsTheReaderCannotGiveBackAreRefused) {
    SeededRandom random(1);
    EXPECT_THROW(CertificateMaker::Make(std::string("a = 1\0", 6), *key_, random), CertificateMaker::text_rejected);
    EXPECT_THROW(CertificateMaker::CheckText("&PICKY&\na = 1"), ContextException);
    EXPECT_NO_THROW(CertificateMaker::CheckText("&PICKY&\n&DEFINE_FIELD& a\na = 1"));
}

TEST_F(CertificateMakerTest, ReadingAFileIsAllOrNothing) {
    SeededRandom random(17);
    const std::string publicKey = key_->PublicKeyText();
    const std::string made = CertificateMaker::Make("a = 1", *key_, random);
    struct Case {
        const char* what;
        std::string content;
        bool ok;
    };
    const Case cases[] = {
        {"made file", made, true},
        {"empty file", "", false},
        {"plain text", "a = 1", false},
        {"garbage of a valid length", std::string(49, 'g'), false},
        {"made file with a byte more", made + "x", false},
    };
    for (const Case& c : cases) {
        ScratchFile file("read.qcf", c.content);
        Certificate certificate;
        EXPECT_EQ(c.ok, certificate.Read(file.Path().c_str(), publicKey.c_str())) << c.what;
        EXPECT_EQ(c.ok ? 1 : 0, certificate.GetFieldAsNumber("a")) << c.what;
    }
    Certificate certificate;
    EXPECT_FALSE(certificate.Read(std::filesystem::temp_directory_path().string().c_str(), publicKey.c_str()))
        << "a folder";
}

// ---- key pairs

TEST(SigningKeyTest, GeneratedPairsHaveTheProgramsForm) {
    SeededRandom random(31);
    for (int i = 0; i < 3; ++i) {
        const SigningKey key = SigningKey::Generate(random);
        const std::string text = key.PublicKeyText();
        ASSERT_EQ(130u, text.size());
        EXPECT_EQ(std::string(59, '0') + "10001-", text.substr(0, 65));
        EXPECT_NE('0', text[65]) << "the modulus has 65 significant digits";
        EXPECT_EQ(text, SigningKey::FromText(key.FileText()).PublicKeyText());
        for (int j = 0; j < 5; ++j) {
            unsigned char block[33] = {};
            random.Fill(block + 1, 32);
            const BigNumber m = BigNumber::FromBytes(block, 33);
            BigNumber c = key.Sign(m);
            ASSERT_TRUE(Encryption::RsaPublic(c, text.c_str()));
            EXPECT_EQ(m, c);
        }
    }
}

TEST(SigningKeyTest, MalformedKeyFilesAreRefused) {
    SeededRandom random(41);
    const std::string good = SigningKey::Generate(random).FileText();
    const auto publicAt = good.find("public = ") + 9, privateAt = good.find("private = ") + 10;
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"no private part", good.substr(0, good.find("private"))},
        {"no public part", good.substr(good.find("private"))},
        {"lower-case digits", std::string(good).replace(publicAt + 64 + 1, 1, "a")},
        {"modulus with a leading zero", std::string(good).replace(publicAt + 65, 1, "0")},
        {"private part of another pair", std::string(good).replace(privateAt + 10, 1, good[privateAt + 10] == '1' ? "2" : "1")},
        {"unknown entry", good + "secret = 1\n"},
        {"line without equal sign", good + "public\n"},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(SigningKey::FromText(c.text), SigningKey::format_error) << c.what;
    }
    EXPECT_THROW(SigningKey::Load(HostPath("/nonexistent/key.txt")), SigningKey::file_error);
}

TEST(SigningKeyTest, PrimalityTest) {
    SeededRandom random(2);
    struct Case {
        const char* hex;
        bool prime;
    };
    const Case cases[] = {
        {"2", true},          {"3E5", true} /* 997 */,  {"3F1", true} /* 1009 */,
        {"1FFFFFFFFFFFFFFF", true} /* 2^61-1 */,        {"7FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", true} /* 2^127-1 */,
        {"0", false},         {"1", false},             {"231", false} /* 561 */,
        {"F98A5", false} /* 1009 * 1013 */,             {"BFA17DC7", false} /* 3215031751, strong pseudoprime to 2, 3, 5, 7 */,
        {"FFFFFFFFFFFFFFF7FFFFFFFFFFFFFFFE000000000000001", false} /* (2^127-1)(2^61-1) */,
    };
    for (const Case& c : cases) {
        BigNumber n;
        ASSERT_TRUE(BigNumber::FromHex(c.hex, n));
        EXPECT_EQ(c.prime, Primes::IsProbablePrime(n, random)) << c.hex;
    }
}

// ---- the shipped configuration

TEST(ShippedConfigurationTest, TheBuiltFileReadsWithTheBuiltInKeyAndHasEveryField) {
    const std::string path = HostPath(std::string(FENNEL_BINARY_DIR) + "/bin/Fennel.qcf");
    Certificate certificate;
    ASSERT_TRUE(certificate.Read(path.c_str(), BuiltInPublicKey())) << path;

    std::string text;
    certificate.GetFieldAsText("Plugin_RegistryBase", text);
    EXPECT_EQ(0u, text.rfind("Software\\", 0)) << text;
    EXPECT_GT(text.size(), 9u);
    certificate.GetFieldAsText("Plugin_BurnMethod", text);
    EXPECT_EQ("DAO", text);
    EXPECT_GT(certificate.GetFieldAsNumber("MaxBurnSpeed"), 0);
    Certificate::TextList extensions;
    certificate.GetFieldAsList("AllowedFileExtensions", extensions);
    ASSERT_FALSE(extensions.empty());
    EXPECT_EQ("WAV", extensions.front());
    for (const char* yesNo : {"Plugin_UseDiskWithDataTracks", "Plugin_UseDiskWithAudioTracks",
                              "Plugin_ConfirmCancelBeforeBurnStarted", "Plugin_ConfirmCancelAfterBurnStarted",
                              "Plugin_CloseAppWhenBurnComplete"}) {
        certificate.GetFieldAsText(yesNo, text);
        EXPECT_TRUE(text == "0" || text == "1") << yesNo << " = " << text;
    }
    certificate.GetFieldAsText("Plugin_UpdateExeFilename", text);
    EXPECT_EQ(".exe", text.substr(text.size() - std::min<std::size_t>(text.size(), 4)));
}

TEST(ShippedConfigurationTest, TheBuiltInKeyIsThePublicPartOfTheSigningKey) {
    const SigningKey key = SigningKey::Load(HostPath(FENNEL_SIGNING_KEY_FILE));
    EXPECT_STREQ(key.PublicKeyText().c_str(), BuiltInPublicKey());
}

} // namespace
