#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/Primes.h"
#include "lib/Certificate/SigningKey.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

using certificate_test::HostPath;
using certificate_test::ScratchFile;
using certificate_test::SeededRandom;

class CertificateMakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SeededRandom random(23);
        key_.emplace(SigningKey::Generate(random));
        otherKey_.emplace(SigningKey::Generate(random));
        publicKey_ = key_->PublicKeyText();
    }
    static std::optional<SigningKey> key_, otherKey_;
    static std::string publicKey_;
    SeededRandom random_{5};
};

std::optional<SigningKey> CertificateMakerTest::key_, CertificateMakerTest::otherKey_;
std::string CertificateMakerTest::publicKey_;

TEST_F(CertificateMakerTest, RandomTextsRoundTrip) {
    for (std::size_t length = 0; length <= 4200; length += 1 + length / 8) {
        std::string text(length, '\0');
        random_.Fill(reinterpret_cast<unsigned char*>(text.data()), length);
        if (length) text.back() = static_cast<char>(1 + random_.Below(255)); // a last zero is padding
        const std::string file = CertificateMaker::Make(text, *key_, random_);
        const std::size_t blocks = CertificateMaker::TextBlocks(length);
        ASSERT_EQ(33 + 16 * blocks, file.size()) << length;
        ASSERT_TRUE(blocks % 2 == 1 || length == 0) << length;
        ASSERT_EQ(text, CertificateMaker::Open(file, publicKey_.c_str())) << length;
    }
    EXPECT_THROW(CertificateMaker::Make(std::string("a = 1\0", 6), *key_, random_), CertificateMaker::text_rejected);
}

TEST_F(CertificateMakerTest, ChangingAnyByteOrCuttingBlocksIsDetected) {
    const std::string file =
        CertificateMaker::Make("&PICKY&\n&DEFINE_FIELD& Mode = DAO, TAO\nMode = DAO\n&DEFINE_FIELD& B\nB = X\n", *key_, random_);
    for (std::size_t i = 0; i < file.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80}) {
            std::string changed = file;
            changed[i] = static_cast<char>(changed[i] ^ mask);
            EXPECT_THROW(CertificateMaker::Open(changed, publicKey_.c_str()), ContextException)
                << "byte " << i << " mask " << int{mask};
        }
    }
    for (std::size_t cut : {16u, 32u, 48u}) {
        EXPECT_THROW(CertificateMaker::Open(file.substr(0, file.size() - cut), publicKey_.c_str()), ContextException)
            << "cut by " << cut;
    }
}

TEST_F(CertificateMakerTest, ReadAcceptsOnlyFilesSignedWithItsKey) {
    const std::string made = CertificateMaker::Make("a = 1", *key_, random_);
    struct Case { const char* what; std::string content; bool ok; };
    const Case cases[] = {
        {"made file", made, true},
        {"signed with another key", CertificateMaker::Make("a = 1", *otherKey_, random_), false},
        {"garbage of a valid length", std::string(49, 'g'), false},
        {"made file with a byte more", made + "x", false},
    };
    for (const Case& c : cases) {
        ScratchFile file("read.qcf", c.content);
        Certificate certificate;
        EXPECT_EQ(c.ok, certificate.Read(file.Path().c_str(), publicKey_.c_str())) << c.what;
        EXPECT_EQ(c.ok ? 1 : 0, certificate.GetFieldAsNumber("a")) << c.what;
    }
    Certificate certificate;
    EXPECT_FALSE(certificate.Read(std::filesystem::temp_directory_path().string().c_str(), publicKey_.c_str()));
}

TEST(SigningKeyTest, GeneratedPairsHaveTheProgramsFormAndUndoEachOther) {
    SeededRandom random(31);
    const SigningKey key = SigningKey::Generate(random);
    const std::string text = key.PublicKeyText();
    ASSERT_EQ(130u, text.size());
    EXPECT_EQ(std::string(59, '0') + "10001-", text.substr(0, 65));
    EXPECT_NE('0', text[65]) << "the modulus has 65 significant digits";
    EXPECT_EQ(text, SigningKey::FromText(key.FileText()).PublicKeyText());
    unsigned char block[33] = {};
    random.Fill(block + 1, 32);
    const BigNumber m = BigNumber::FromBytes(block, 33);
    BigNumber c = key.Sign(m);
    ASSERT_TRUE(Encryption::RsaPublic(c, text.c_str()));
    EXPECT_EQ(m, c);
}

TEST(SigningKeyTest, MalformedKeyFilesAreRefused) {
    SeededRandom random(41);
    const std::string good = SigningKey::Generate(random).FileText();
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
    BigNumber n;
    for (const char* hex : primes) EXPECT_TRUE(BigNumber::FromHex(hex, n) && Primes::IsProbablePrime(n, random)) << hex;
    for (const char* hex : composites) EXPECT_FALSE(BigNumber::FromHex(hex, n) && Primes::IsProbablePrime(n, random)) << hex;
}

TEST(ShippedConfigurationTest, TheBuiltFileReadsWithTheBuiltInKeyAndHasEveryField) {
    EXPECT_STREQ(SigningKey::Load(HostPath(FENNEL_SIGNING_KEY_FILE)).PublicKeyText().c_str(), BuiltInPublicKey());
    const std::string path = HostPath(std::string(FENNEL_BINARY_DIR) + "/bin/Fennel.qcf");
    Certificate certificate;
    ASSERT_TRUE(certificate.Read(path.c_str(), BuiltInPublicKey())) << path;
    auto text = [&](const char* field) {
        std::string value;
        certificate.GetFieldAsText(field, value);
        return value;
    };
    EXPECT_TRUE(text("Plugin_RegistryBase").rfind("Software\\", 0) == 0 && text("Plugin_RegistryBase").size() > 9);
    EXPECT_EQ("DAO", text("Plugin_BurnMethod"));
    EXPECT_GT(certificate.GetFieldAsNumber("MaxBurnSpeed"), 0);
    EXPECT_EQ(0u, text("AllowedFileExtensions").rfind("WAV", 0)) << text("AllowedFileExtensions");
    for (const char* yesNo : {"Plugin_UseDiskWithDataTracks", "Plugin_UseDiskWithAudioTracks", "Plugin_CloseAppWhenBurnComplete",
                              "Plugin_ConfirmCancelBeforeBurnStarted", "Plugin_ConfirmCancelAfterBurnStarted"}) {
        EXPECT_TRUE(text(yesNo) == "0" || text(yesNo) == "1") << yesNo << " = " << text(yesNo);
    }
    const std::string update = text("Plugin_UpdateExeFilename");
    EXPECT_TRUE(update.size() > 4 && update.substr(update.size() - 4) == ".exe") << update;
}

} // namespace
