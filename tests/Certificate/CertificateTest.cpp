// The configuration file: its syntax, its queries and failures, and the signed files the
// maker writes.
#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/CertificateMaker.h"
#include "TestSupport.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace certificate_test;
using List = std::vector<std::string>;

template <typename Kind = Certificate> std::unique_ptr<Kind> Parsed(const std::string& text) {
    auto certificate = std::make_unique<Kind>();
    certificate->Parse(text.data(), text.size());
    return certificate;
}

TEST(CertificateSyntaxTest, LinesBecomeFieldsWithTheirListsAndVocabularies) {
    struct Case { std::string text; const char* field; List list; const char* vocabulary = ""; };
    const Case cases[] = {
        {"a = 1, 2 ,3", "a", {"1", "2", "3"}},
        {"title = Hello   World  ", "title", {"Hello   World"}},
        {"my field = 1", "my field", {"1"}},
        {"x = a,\n    b", "x", {"a", "b"}},
        {"x = a,\t\n b", "x", {"a", "b"}}, // a tab after the comma still continues the line
        {"x = a,\r\n\r\n    b\r\n", "x", {"a", "b"}},
        {"x = ,a,,b,", "x", {"a", "b"}},
        {"lonely", "lonely", {}},
        {"a = b&", "a", {"b"}},
        {"a = &x", "a", {"&x"}},
        {"a = b\x7f", "a", {"b\x7f"}}, // DEL is the last printing character
        {"a = 1\rb = 2", "b", {"2"}},
        {"Base\xe9 = Software\\Fennel", "Base\xe9", {"Software\\Fennel"}},
        {"a = 1\nz = last", "z", {"last"}},
        {"&DEFINE_FIELD& Speed = 1x, 2x, 4x\nSpeed = 2x", "Speed", {"2x"}, "1x,2x,4x"},
        {"&DEFINE_FIELD& Speed\n&DEFINE_VOCAB& Speed = 1x, 2x\nSpeed = 2x", "Speed", {"2x"}, "1x,2x"},
        {"&DEFINE_FIELD& Any\nAny = what, ever", "Any", {"what", "ever"}}, // an empty vocabulary takes anything
        {"Early = 1\n&PICKY&\n&DEFINE_FIELD& Late\nLate = 2", "Early", {"1"}}, // lines before &PICKY& stay
        {"&PICKY&\n&DEFINE_FIELD& P = a\nP = a", "P", {"a"}, "a"},
    };
    for (const Case& c : cases) {
        auto certificate = Parsed(c.text);
        List list;
        certificate->GetFieldAsList(c.field, list);
        EXPECT_EQ(c.list, list) << c.text;
        std::string vocabulary = "unchanged";
        certificate->GetFieldVocabAsText(c.field, vocabulary);
        EXPECT_EQ(c.vocabulary, vocabulary) << c.text;
    }
}

TEST(CertificateSyntaxTest, NumbersAreHeldTo32Bits) {
    auto certificate = Parsed("a = 1, 2 ,3\nneg = -42\nmixed = 12abc\nword = abc\nhuge = 99999999999\n"
                              "low = -2147483648\nlower = -2147483649\nsign = +5\n");
    EXPECT_EQ("1,2,3", certificate->GetFieldAsText(std::string("a")));
    const std::pair<const char*, std::int32_t> cases[] = {{"a", 1},           {"neg", -42},         {"mixed", 12},
                                                          {"word", 0},        {"huge", INT_MAX},    {"low", INT_MIN},
                                                          {"lower", INT_MIN}, {"sign", 5},          {"missing", 0}};
    for (const auto& [field, number] : cases) EXPECT_EQ(number, certificate->GetFieldAsNumber(field)) << field;
}

// The throwing form of the enumeration's text, which the class keeps to itself.
struct CheckedEnumeration : Certificate { using Certificate::GetFieldEnumAsValueText; };

TEST(CertificateSyntaxTest, EnumerationsCountFromOne) {
    auto certificate = Parsed<CheckedEnumeration>("&DEFINE_FIELD& Mode = DAO, TAO, SAO\nMode = TAO\n&DEFINE_FIELD& Speed = 4, 8, 16\n"
                              "Speed = 8\nCode = &ENUM&Mode, x, &ENUM& Speed\n&DEFINE_FIELD& Open\nOpen = 1");
    EXPECT_EQ(2, certificate->GetFieldValueAsEnum("Mode", "TAO"));
    EXPECT_EQ(3, certificate->GetFieldMaxEnum("Mode"));
    EXPECT_EQ("DAO|SAO", certificate->GetFieldEnumAsValueText("Mode", 1) + "|" + certificate->GetFieldEnumAsValueText("Mode", 3));
    EXPECT_EQ(16, certificate->GetFieldEnumAsValueNumber("Speed", 3));
    List code;
    certificate->GetFieldAsList("Code", code);
    EXPECT_EQ((List{"2", "x", "2"}), code);
    std::string out;
    for (int n : {0, 4}) {
        EXPECT_EQ("", certificate->GetFieldEnumAsValueText("Mode", n)) << n;
        EXPECT_EQ(0, certificate->GetFieldEnumAsValueNumber("Speed", n)) << n;
        EXPECT_THROW(certificate->GetFieldEnumAsValueText("Mode", n, out), ContextException) << n;
    }
    EXPECT_EQ(0, certificate->GetFieldValueAsEnum(std::string("Mode"), std::string("XAO")));
    EXPECT_EQ(0, certificate->GetFieldValueAsEnum(std::string("Open"), std::string("1")) + certificate->GetFieldMaxEnum("Open"));
    EXPECT_THROW(certificate->GetFieldValueAsEnum("Mode", "XAO"), ContextException);
}

TEST(CertificateErrorTest, EveryParseFailureNamesItsCauseAndTheFile) {
    const testsupport::TempFolder folder;
    const std::string empty = folder.Write("empty.txt", "");
    struct Case { std::string text; const char* where; const char* cause; };
    const Case cases[] = {
        {"&FOO&", "Parse", "Unrecognized special &operator& around\n&FOO&"},
        {"a&b = c", "Parse", "Unrecognized special &operator& around\na&"},
        {"a = b = c", "Parse", "Too many equal signs"},
        {"= x", "Parse", "Equal sign encountered without field name"},
        {"a = 1\na = 2", "Parse", "Duplicate definition for field\na\n"},
        {"&PICKY&\na = 1", "Parse", "was given a value without being defined"},
        {"&DEFINE_FIELD& Speed = 1x, 2x, 4x\nSpeed = 2x, 3x", "Parse", "\nSpeed = 3x\nvalue is not among the choices"},
        {"&DEFINE_FIELD& a\n&DEFINE_FIELD& a", "Parse", "is defined more than once"},
        {"&DEFINE_VOCAB& a = x", "Parse", "was not found among the &DEFINE_FIELD& Definitions"},
        {"&DEFINE_FIELD& a = x\n&DEFINE_VOCAB& a = y,  z", "Parse", "is trying to override"},
        {"&PICKY&\n&DEFINE_FIELD& b\n&DEFINE_FIELD& a\nb = 1", "Parse", "Field\na\nwas defined, but not given a value."},
        {"&DEFINE_FIELD& Build = 7\nBuild = 8", "Parse", "Did you remember to set the build number"},
        {"a = b&c", "ValueAsList", "Unrecognized special &operator& around\nb&"},
        {"a = x, b\tc, d", "ValueAsList", "Tab or non-printing character encountered within name or value around\nb\tc, d"},
        {"a = x, b\x1f" "c", "ValueAsList", "Tab or non-printing character"},
        {"&DEFINE_FIELD& M = A, B\nx = &ENUM&M", "GetFieldAsText", "Field\nM\nnot found in certificate"},
        {"M = A\nx = &ENUM&M", "GetFieldValueAsEnum", "No &DEFINE_FIELD& was found for field name\nM\n"},
        {"&DEFINE_FIELD& M\nM = A\nx = &ENUM&M", "GetFieldValueAsEnum", "was not given a vocabulary"},
        {"&DEFINE_FIELD& M = A, B\nM = A, B\nx = &ENUM&M", "GetFieldValueAsEnum", "the field value\nA,B\nwas not found"},
    };
    for (const Case& c : cases) {
        Certificate certificate;
        ASSERT_TRUE(certificate.Read(empty.c_str(), nullptr));
        const ContextException e = Thrown([&] { certificate.Parse(c.text.data(), c.text.size()); });
        const std::string context = e.Context();
        EXPECT_EQ(std::string("Certificate::") + c.where, e.Where()) << c.text;
        EXPECT_NE(std::string::npos, context.find(c.cause)) << c.text << "\n" << context;
        EXPECT_NE(std::string::npos, context.find(empty)) << c.text;
    }
}

TEST(CertificateReadTest, QueriesRefuseUntilAParseHasEndedAndHugeFilesAreRefused) {
    const testsupport::TempFolder folder;
    const std::string good = folder.Write("good.txt", "a = 1\n&DEFINE_FIELD& m = x\nm = x");
    const std::string missing = good + ".missing";
    const std::function<void(Certificate&)> prepares[] = {
        [](Certificate&) {},
        [&](Certificate& c) { EXPECT_TRUE(c.Read(good.c_str(), nullptr) && !c.Read(missing.c_str(), nullptr)); },
        [&](Certificate& c) {
            EXPECT_TRUE(c.Read(good.c_str(), nullptr));
            EXPECT_THROW(c.Parse("a = 1\nb&", 8), ContextException);
        },
    };
    for (const auto& prepare : prepares) {
        Certificate certificate;
        prepare(certificate);
        EXPECT_THROW(certificate.GetFieldAsText(std::string("a")), ContextException);
        std::string text = "x";
        char buffer[8] = "xxxxxxx";
        certificate.GetFieldAsText("a", text); // the forms that never throw answer neutral values
        certificate.GetFieldAsText("a", buffer, sizeof buffer);
        EXPECT_EQ("", text + buffer);
        EXPECT_EQ(0, certificate.GetFieldAsNumber("a") + certificate.GetFieldMaxEnum("m"));
    }
    // The size limit is 16 MiB: a file of exactly that size is read, one byte more is not.
    const std::size_t limit = 16u << 20;
    for (std::size_t size : {limit, limit + 1}) {
        const std::string big = folder.Write("big.txt", "a = 1\n" + std::string(size - 6, '\n'));
        Certificate certificate;
        EXPECT_EQ(size == limit, certificate.Read(big.c_str(), nullptr)) << size;
    }
}

TEST(CertificateQueryTest, TextIntoABufferIsCutAndTerminatedInsideIt) {
    auto certificate = Parsed("f = abcdef");
    List list;
    EXPECT_THROW(certificate->GetFieldAsList(std::string("b"), list), ContextException);
    certificate->GetFieldAsText(nullptr, nullptr, 4); // nothing to write to, nothing thrown
    struct Case { const char* field; int size; std::string expected; }; // the buffer's bytes after the call
    const Case cases[] = {{"f", 7, std::string("abcdef\0", 7)}, {"f", 6, std::string("abcde\0", 6)},
                          {"f", 1, std::string("\0", 1)},       {"f", -3, ""},
                          {"none", 4, std::string("\0###", 4)}, {"none", 0, ""}};
    for (const Case& c : cases) {
        char buffer[12];
        std::memset(buffer, '#', sizeof buffer);
        certificate->GetFieldAsText(c.field, buffer + 1, c.size);
        EXPECT_EQ("#" + c.expected + "#", std::string(buffer, c.expected.size() + 2)) << c.field << " " << c.size;
    }
}

struct CertificateMakerTest : ::testing::Test {
    const std::string publicKey_ = TestKey(0).PublicKeyText();
    SeededRandom random_{5};
};

TEST_F(CertificateMakerTest, RandomTextsRoundTrip) {
    for (std::size_t length = 0; length <= 4200; length += 1 + length / 8) {
        std::string text(length, '\0');
        random_.Fill(reinterpret_cast<unsigned char*>(text.data()), length);
        if (length) text.back() = static_cast<char>(1 + random_.Below(255)); // a last zero is padding
        const std::string file = CertificateMaker::Make(text, TestKey(0), random_);
        const std::size_t blocks = CertificateMaker::TextBlocks(length);
        ASSERT_EQ(33 + 16 * blocks, file.size()) << length;
        ASSERT_TRUE(blocks % 2 == 1 || length == 0) << length;
        ASSERT_EQ(text, CertificateMaker::Open(file, publicKey_.c_str())) << length;
    }
    EXPECT_THROW(CertificateMaker::Make(std::string("a = 1\0", 6), TestKey(0), random_), CertificateMaker::text_rejected);
}

TEST_F(CertificateMakerTest, ChangingAnyByteOrCuttingBlocksIsDetected) {
    const std::string file =
        CertificateMaker::Make("&PICKY&\n&DEFINE_FIELD& Mode = DAO, TAO\nMode = DAO\n&DEFINE_FIELD& B\nB = X\n", TestKey(0), random_);
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
    const testsupport::TempFolder folder;
    for (int key : {0, 1}) {
        const std::string file = folder.Write("read.qcf", CertificateMaker::Make("a = 1", TestKey(key), random_));
        Certificate certificate;
        EXPECT_EQ(key == 0, certificate.Read(file.c_str(), publicKey_.c_str())) << key;
        EXPECT_EQ(key == 0 ? 1 : 0, certificate.GetFieldAsNumber("a")) << key;
    }
    Certificate certificate;
    EXPECT_FALSE(certificate.Read(folder.Path().c_str(), publicKey_.c_str()));
}

TEST(ShippedConfigurationTest, TheBuiltFileReadsWithTheBuiltInKey) {
    EXPECT_STREQ(SigningKey::Load(HostPath(FENNEL_SIGNING_KEY_FILE)).PublicKeyText().c_str(), BuiltInPublicKey());
    const std::string path = HostPath(std::string(FENNEL_BINARY_DIR) + "/bin/Fennel.qcf");
    Certificate certificate;
    ASSERT_TRUE(certificate.Read(path.c_str(), BuiltInPublicKey())) << path;
    std::string base;
    certificate.GetFieldAsText("Plugin_RegistryBase", base);
    EXPECT_EQ(0u, base.rfind("Software\\", 0)) << base;
}

} // namespace
