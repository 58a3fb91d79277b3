#include "lib/Certificate/Certificate.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using certificate_test::Place;
using certificate_test::ScratchFile;
using certificate_test::Thrown;
using List = std::vector<std::string>;

std::unique_ptr<Certificate> Parsed(const std::string& text, bool exportDefinitions = false) {
    auto certificate = std::make_unique<Certificate>(exportDefinitions);
    certificate->Parse(text.data(), text.size());
    return certificate;
}

List ListOf(Certificate& certificate, const char* name) {
    List list;
    certificate.GetFieldAsList(std::string(name), list);
    return list;
}

TEST(CertificateSyntaxTest, LinesBecomeFieldsWithTheirLists) {
    struct Case { const char* what; std::string text; const char* field; List list; };
    const Case cases[] = {
        {"blanks around items", "a = 1, 2 ,3", "a", {"1", "2", "3"}},
        {"inner blanks kept", "title = Hello   World  ", "title", {"Hello   World"}},
        {"name with a blank", "my field = 1", "my field", {"1"}},
        {"continued after a comma", "x = a,\n    b", "x", {"a", "b"}},
        {"blank line inside a continuation", "x = a,\r\n\r\n    b\r\n", "x", {"a", "b"}},
        {"empty items", "x = ,a,,b,", "x", {"a", "b"}},
        {"name only", "lonely", "lonely", {}},
        {"ampersand at the end of a value", "a = b&", "a", {"b"}},
        {"ampersand opening an item", "a = &x", "a", {"&x"}},
        {"lone carriage returns end lines", "a = 1\rb = 2", "b", {"2"}},
        {"backslash and high bytes in names", "Base\xe9 = Software\\Fennel", "Base\xe9", {"Software\\Fennel"}},
        {"last line without a break", "a = 1\nz = last", "z", {"last"}},
    };
    for (const Case& c : cases) {
        auto certificate = Parsed(c.text);
        EXPECT_EQ(c.list, ListOf(*certificate, c.field)) << c.what;
    }
}

TEST(CertificateSyntaxTest, TextAndNumberForms) {
    auto certificate = Parsed("a = 1, 2 ,3\nneg = -42\nmixed = 12abc\nword = abc\nhuge = 99999999999\n"
                              "low = -99999999999\nsign = +5\n");
    EXPECT_EQ("1,2,3", certificate->GetFieldAsText(std::string("a")));
    struct Case { const char* field; std::int32_t number; };
    const Case cases[] = {{"a", 1},           {"neg", -42},     {"mixed", 12}, {"word", 0},
                          {"huge", INT_MAX}, {"low", INT_MIN}, {"sign", 5},   {"missing", 0}};
    for (const Case& c : cases) EXPECT_EQ(c.number, certificate->GetFieldAsNumber(c.field)) << c.field;
}

TEST(CertificateOperatorTest, DefinitionsVocabulariesAndPickiness) {
    struct Case { const char* what; std::string text; const char* field; const char* vocabulary; List list; };
    const Case cases[] = {
        {"value within the vocabulary", "&DEFINE_FIELD& Speed = 1x, 2x, 4x\nSpeed = 2x", "Speed", "1x,2x,4x", {"2x"}},
        {"vocabulary given later", "&DEFINE_FIELD& Speed\n&DEFINE_VOCAB& Speed = 1x, 2x\nSpeed = 2x", "Speed", "1x,2x",
         {"2x"}},
        {"empty vocabulary takes anything", "&DEFINE_FIELD& Any\nAny = what, ever", "Any", "", {"what", "ever"}},
        {"undefined field without pickiness", "Free = 1", "Free", "", {"1"}},
        {"lines before the picky line stay", "Early = 1\n&PICKY&\n&DEFINE_FIELD& Late\nLate = 2", "Early", "", {"1"}},
        {"operator alone on a line", "&PICKY&\n&DEFINE_FIELD& P = a\nP = a", "P", "a", {"a"}},
    };
    for (const Case& c : cases) {
        auto certificate = Parsed(c.text);
        EXPECT_EQ(c.list, ListOf(*certificate, c.field)) << c.what;
        std::string vocabulary = "unchanged";
        certificate->GetFieldVocabAsText(c.field, vocabulary);
        EXPECT_EQ(c.vocabulary, vocabulary) << c.what;
    }
}

TEST(CertificateEnumerationTest, PositionsInTheVocabulary) {
    auto certificate = Parsed("&DEFINE_FIELD& Mode = DAO, TAO, SAO\nMode = TAO\n&DEFINE_FIELD& Speed = 4, 8, 16\n"
                              "Speed = 8\nCode = &ENUM&Mode, x, &ENUM& Speed\n&DEFINE_FIELD& Open\nOpen = 1");
    EXPECT_EQ(2, certificate->GetFieldValueAsEnum("Mode", "TAO"));
    EXPECT_EQ(3, certificate->GetFieldMaxEnum("Mode"));
    EXPECT_EQ("SAO", certificate->GetFieldEnumAsValueText("Mode", 3));
    EXPECT_EQ(16, certificate->GetFieldEnumAsValueNumber("Speed", 3));
    EXPECT_EQ((List{"2", "x", "2"}), ListOf(*certificate, "Code"));

    // Out of range, unknown or without vocabulary: neutral answers, or the failure of the pointer form.
    for (int n : {0, 4}) {
        EXPECT_EQ("", certificate->GetFieldEnumAsValueText("Mode", n)) << n;
        EXPECT_EQ(0, certificate->GetFieldEnumAsValueNumber("Mode", n)) << n;
    }
    EXPECT_EQ(0, certificate->GetFieldValueAsEnum(std::string("Mode"), std::string("XAO")));
    EXPECT_EQ(0, certificate->GetFieldValueAsEnum(std::string("Open"), std::string("1")));
    EXPECT_EQ(0, certificate->GetFieldMaxEnum("Open"));
    const ContextException e = Thrown([&] { certificate->GetFieldValueAsEnum("Mode", "XAO"); });
    EXPECT_STREQ("For field name\nMode\nthe field value\nXAO\nwas not found among the vocabulary of possible values."
                 "\nCannot provide an enumeration value.\nError occurred in certificate\n",
                 e.Context());
}

// Failures, each with its exact text; the file name comes last.
class CertificateErrorTest : public ::testing::Test {
protected:
    // Parses text after a good read of an empty file, so that failures name that file.
    ContextException ParseFailure(const std::string& text) {
        EXPECT_TRUE(certificate_.Read(empty_.Path().c_str(), nullptr));
        return Thrown([&] { certificate_.Parse(text.data(), text.size()); });
    }
    ScratchFile empty_{"empty.txt", ""};
    Certificate certificate_;
};

TEST_F(CertificateErrorTest, EveryParseFailureHasItsText) {
    const std::string in = "\nin certificate\n", occurred = "\nError occurred in certificate\n";
    struct Case { std::string text; const char* where; int line; std::string context; }; // the file name follows the context
    const Case cases[] = {
        {"&FOO&", "Certificate::Parse", 555, "Unrecognized special &operator& around\n&FOO&" + in},
        {"a&b = c", "Certificate::Parse", 555, "Unrecognized special &operator& around\na&" + in},
        {"a = b = c", "Certificate::Parse", 579, "Too many equal signs on same line around\na" + in},
        {"= x", "Certificate::Parse", 588, "Equal sign encountered without field name in certificate\n"},
        {"a = 1\na = 2", "Certificate::Parse", 671, "Duplicate definition for field\na" + occurred},
        {"&PICKY&\na = 1", "Certificate::Parse", 695,
         "Field name\na\nwas given a value without being defined via &DEFINE_FIELD&" + occurred},
        {"&DEFINE_FIELD& Speed = 1x, 2x, 4x\nSpeed = 2x, 3x", "Certificate::Parse", 738,
         "Values Definition\nSpeed = 3x\nvalue is not among the choices for that field in the &DEFINE_FIELD& or\n"
         "&DEFINE_VOCAB& definitions." + occurred},
        {"&DEFINE_FIELD& a\n&DEFINE_FIELD& a", "Certificate::Parse", 770,
         "Field name\na\nis defined more than once via &DEFINE_FIELD&" + occurred},
        {"&DEFINE_VOCAB& a = x", "Certificate::Parse", 802,
         "&DEFINE_VOCAB& field\na\nwas not found among the &DEFINE_FIELD& Definitions." + occurred},
        {"&DEFINE_FIELD& a = x\n&DEFINE_VOCAB& a = y,  z", "Certificate::Parse", 817,
         "Vocabulary definition\n&DEFINE_VOCAB& a = y,  z\nis trying to override &DEFINE_FIELD& vocabulary." + occurred},
        {"&PICKY&\n&DEFINE_FIELD& b\n&DEFINE_FIELD& a\nb = 1", "Certificate::Parse", 885,
         "Field\na\nwas defined, but not given a value." + occurred},
        {"a = b&c", "Certificate::ValueAsList", 343, "Unrecognized special &operator& around\nb&" + in},
        {"a = x, b\tc, d", "Certificate::ValueAsList", 409,
         "Tab or non-printing character encountered within name or value around\nb\tc, d" + occurred},
        {"&DEFINE_FIELD& M = A, B\nx = &ENUM&M", "Certificate::GetFieldAsText", 184, "Field\nM\nnot found in certificate\n"},
        {"M = A\nx = &ENUM&M", "Certificate::GetFieldValueAsEnum", 1358,
         "No &DEFINE_FIELD& was found for field name\nM\nCannot provide an enumeration value." + occurred},
        {"&DEFINE_FIELD& M\nM = A\nx = &ENUM&M", "Certificate::GetFieldValueAsEnum", 1368,
         "The field name\nM\nis defined, but was not given a vocabulary of possible values.\n"
         "Cannot provide an enumeration value." + occurred},
        {"&DEFINE_FIELD& M = A, B\nM = A, B\nx = &ENUM&M", "Certificate::GetFieldValueAsEnum", 1393,
         "For field name\nM\nthe field value\nA,B\nwas not found among the vocabulary of possible values.\n"
         "Cannot provide an enumeration value." + occurred},
    };
    for (const Case& c : cases) {
        const ContextException e = ParseFailure(c.text);
        EXPECT_STREQ(c.where, e.Where()) << c.text;
        EXPECT_EQ(c.context + empty_.Path(), e.Context()) << c.text;
        EXPECT_EQ("lib/Certificate/Certificate.cpp:" + std::to_string(c.line), Place(e)) << c.text;
    }
}

TEST_F(CertificateErrorTest, TheBuildFieldGetsAHint) {
    const std::string context = ParseFailure("&DEFINE_FIELD& Build = 7\nBuild = 8").Context();
    EXPECT_EQ(empty_.Path() + "\nDid you remember to set the build number to match the one under which the PreBuild was performed?",
              context.substr(context.find(empty_.Path())));
}

TEST(CertificateValidateTest, QueriesRefuseUntilAParseHasEnded) {
    ScratchFile good("good.txt", "a = 1\n&DEFINE_FIELD& m = x\nm = x");
    const std::string missing = good.Path() + ".missing";
    struct Case { const char* what; std::function<void(Certificate&)> prepare; std::string name; };
    const Case cases[] = {
        {"never read", [](Certificate&) {}, ""},
        {"good read, then a missing file",
         [&](Certificate& c) { EXPECT_TRUE(c.Read(good.Path().c_str(), nullptr) && !c.Read(missing.c_str(), nullptr)); }, missing},
        {"good read, then a failing parse",
         [&](Certificate& c) {
             EXPECT_TRUE(c.Read(good.Path().c_str(), nullptr));
             EXPECT_THROW(c.Parse("a = 1\nb&", 8), ContextException);
         },
         good.Path()},
    };
    for (const Case& c : cases) {
        Certificate certificate;
        c.prepare(certificate);
        const ContextException e = Thrown([&] { certificate.GetFieldAsText(std::string("a")); });
        EXPECT_EQ("Cannot service Get functions because the certificate\n" + c.name + "\nhas not been read correctly.",
                  e.Context())
            << c.what;
        EXPECT_EQ("lib/Certificate/Certificate.cpp:92", Place(e)) << c.what;

        std::string text = "x";
        char buffer[8] = "xxxxxxx";
        EXPECT_THROW(certificate.Export(text), ContextException) << c.what;
        // The forms that never throw answer neutral values.
        certificate.GetFieldAsText("a", text);
        certificate.GetFieldAsText("a", buffer, sizeof buffer);
        EXPECT_EQ("", text + buffer) << c.what;
        EXPECT_EQ(0, certificate.GetFieldAsNumber("a") + certificate.GetFieldMaxEnum("m")) << c.what;
    }
}

TEST(CertificateQueryTest, MissingFieldsNullArgumentsAndBuffers) {
    auto certificate = Parsed("a = 1");
    List list;
    const ContextException missingList = Thrown([&] { certificate->GetFieldAsList(std::string("b"), list); });
    EXPECT_EQ("lib/Certificate/Certificate.cpp:269", Place(missingList));
    const ContextException nullExport = Thrown([&] { certificate->Export(nullptr, 1); });
    EXPECT_STREQ("NULL pointer supplied as a parameter", nullExport.Context());
    EXPECT_EQ("lib/Certificate/Certificate.cpp:1181", Place(nullExport));
    certificate->GetFieldAsText(nullptr, nullptr, 4); // nothing to write to, nothing thrown

    // Text into a buffer is cut and terminated, and nothing is written outside it.
    certificate = Parsed("f = abcdef");
    struct Case { const char* field; int size; std::string expected; }; // expected: the buffer's bytes after the call
    const Case cases[] = {{"f", 10, std::string("abcdef\0###", 10)}, {"f", 6, std::string("abcde\0", 6)},
                          {"f", 1, std::string("\0", 1)},          {"f", -3, ""},
                          {"none", 4, std::string("\0###", 4)},    {"none", 0, ""}};
    for (const Case& c : cases) {
        char buffer[12];
        std::memset(buffer, '#', sizeof buffer);
        certificate->GetFieldAsText(c.field, buffer + 1, c.size);
        EXPECT_EQ('#', buffer[0]) << c.field << " " << c.size;
        EXPECT_EQ(c.expected, std::string(buffer + 1, c.expected.size())) << c.field << " " << c.size;
        EXPECT_EQ('#', buffer[1 + c.expected.size()]) << c.field << " " << c.size << ": wrote past its size";
    }
}

TEST(CertificateQueryTest, ExportWritesDefinitionsThenValues) {
    const std::string text = "&DEFINE_FIELD& Mode = DAO, TAO\nMode = TAO\nb = 1 , 2\na";
    const std::string values = "Mode = TAO\r\na = \r\nb = 1,2\r\n";
    const std::string definitions = "&DEFINE_FIELD& Mode = DAO,TAO\r\n";
    for (bool withDefinitions : {false, true}) {
        auto certificate = Parsed(text, withDefinitions);
        const std::string expected = withDefinitions ? definitions + values : values;
        std::string out;
        certificate->Export(out);
        EXPECT_EQ(expected, out);
        EXPECT_EQ(static_cast<int>(expected.size()), certificate->ExportLength());

        std::vector<char> buffer(expected.size() + 8, '#');
        EXPECT_EQ(5, certificate->Export(buffer.data(), 5));
        EXPECT_EQ(expected.substr(0, 5) + "#", std::string(buffer.data(), 6));
        // A size beyond the text copies the text only.
        EXPECT_EQ(static_cast<int>(expected.size()), certificate->Export(buffer.data(), static_cast<int>(buffer.size())));
        EXPECT_EQ(expected + "#", std::string(buffer.data(), expected.size() + 1));
    }
}

} // namespace
