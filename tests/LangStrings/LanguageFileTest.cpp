// File format: line classification, the events of both passes, every syntax error, and the
// tags: accelerators, key names, canonical keys, the code-page table.
#include "LangTestSupport.h"
#include "lib/LangStrings/LangFile/AcceleratorTag.h"
#include "lib/LangStrings/LangFile/CodepageTag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using langtest::FileFromText;
using langtest::RecordingScanner;
using Events = std::vector<std::string>;

namespace {

TEST(LanguageFileTest, BothPassesReportTheSameSectionsInFileOrder) {
    struct Case { const char* name; std::string text; Events first, second; };
    const Case cases[] = {
        {"strings and tags", "[Shared]\r\nIDS_A = x = y\r\n<CODEPAGE 1252>\r\n[Main]\n<ACCEL VIRTKEY N>=<ACCEL F2>\n",
         {"[Shared]", "End", "[Main]", "End", "Eof"},
         {"[Shared]", "IDS_A=x = y", "Tag(<CODEPAGE 1252>=)", "End", "[Main]",
          "Tag(<ACCEL VIRTKEY N>=<ACCEL F2>)", "End", "Eof"}},
        {"lines before the first header are reported without section", "A=1\n[S]\n",
         {"[S]", "End", "Eof"}, {"A=1", "[S]", "End", "Eof"}},
        {"comments, empty values, empty keys, brackets", "[[Shared]]\n//X\n// [Hidden]\nK =\n= v\n[ Sp ]\n",
         {"[Shared]", "End", "[ Sp ]", "End", "Eof"},
         {"[Shared]", "K=", "=v", "End", "[ Sp ]", "End", "Eof"}},
        {"indented headers count in both passes", "  [One]\nA=1\n\t[Two]\n", {"[One]", "End", "[Two]", "End", "Eof"},
         {"[One]", "A=1", "End", "[Two]", "End", "Eof"}},
        {"header after a very long line", std::string(12000, 'x') + "=1\n[After]\n",
         {"[After]", "End", "Eof"}, {std::string(12000, 'x') + "=1", "[After]", "End", "Eof"}},
    };
    for (const Case& c : cases) {
        LanguageFile file = FileFromText(c.text);
        RecordingScanner first, second;
        file.GetSectionsA(first);
        file.ScanFile(second);
        EXPECT_EQ(c.first, first.events) << c.name;
        EXPECT_EQ(c.second, second.events) << c.name;
    }
}

TEST(LanguageFileTest, SyntaxErrorsNameFileLineAndCause) {
    const std::tuple<std::string, const char*, const char*> cases[] = { // text, file, cause
        {"<ACCEL N", "FN1033.lng", "cannot find '>'"},
        {"<FOO> = 1", "FN1033.lng", "Tag type 'FOO' is unknown"}, // the tag's reasons: LanguageTagTest
        {"<codepage 1252>", "FN1049.lng", "does not appear to match language"},
        {"<CODEPAGE 1252>", "French.lng", "does not appear to match language"},
        {"<ACCEL VIRTKEY CONTROL N>", "FN1033.lng", "equal (=) expected for this tag type"},
        {"<ACCEL VIRTKEY CONTROL N>= <ACCEL O>", "FN1033.lng", nullptr}, // no blank needed before '='
        {"<ACCEL VIRTKEY CONTROL N> x = <ACCEL VIRTKEY CONTROL O>", "FN1033.lng", "Unexpected text encountered between tag and '='"},
        {"<ACCEL F1> = F2", "FN1033.lng", "Invalid RHS tag 'F2'"},
        {"<ACCEL F1> = <ACCEL F99>", "FN1033.lng", "Unknown identifier 'F99'"},
        {"/", "FN1033.lng", "equal (=) expected.\n"},
        {"//", "FN1033.lng", nullptr}, // two slashes start a comment
    };
    for (const auto& [text, name, cause] : cases) {
        LanguageFile file = FileFromText("[S]\n\n" + text + "\n", name);
        RecordingScanner scanner;
        try {
            file.ScanFile(scanner);
            EXPECT_EQ(nullptr, cause) << text;
        } catch (const LanguageFile::syntax_error& e) {
            const std::string context = e.Context();
            EXPECT_EQ(0u, context.find("In file '" + std::string(name) + "', line 3: ")) << context;
            EXPECT_NE(std::string::npos, context.find(cause ? cause : "(no error)")) << context;
        }
    }
}

// UTF-16 files and files without sections are refused; a UTF-8 byte order mark hides a
// header on the first line.
TEST(LanguageFileTest, EncodingsAndFilesWithoutSections) {
    RecordingScanner scanner;
    LanguageFile utf16 = FileFromText(std::string("\xFF\xFE[\0S\0]\0", 8), "u.lng");
    EXPECT_THROW(utf16.GetSectionsA(scanner), LanguageFile::no_unicode_file_support);
    EXPECT_THROW(utf16.ScanFile(scanner), LanguageFile::no_unicode_file_support);
    LanguageFile none = FileFromText("A=1\n  B = 2\n", "n.lng");
    EXPECT_THROW(none.GetSectionsA(scanner), LanguageFile::no_sections_found);
    EXPECT_THROW(LanguageFile("/nonexistent/FN1.lng"), LanguageFile::open_failed);

    LanguageFile marked = FileFromText("\xEF\xBB\xBF[Shared]\nA=1\n[Main]\n");
    RecordingScanner first;
    marked.GetSectionsA(first);
    EXPECT_EQ((Events{"[Main]", "End", "Eof"}), first.events);
    EXPECT_THROW(marked.ScanFile(scanner), LanguageFile::syntax_error);
}

TEST(LanguageTagTest, ParsesAcceleratorAndCodepageTags) {
    struct Case { const char* text; int type; unsigned flags, key; const char* reason; }; // type 0: no tag; key: or code page
    const Case cases[] = {
        {"<ACCEL VIRTKEY CONTROL N>", 1, 0x09, 0x4E, ""},
        {"<accelerator\tshift  alt n 5>", 1, 0x14, 0x35, ""}, // the last key word counts
        {"< ACCEL VIRTKEY ALT SHIFT CONTROL F1 >", 1, 0x1D, 0x70, ""},
        {"<ACCEL kana oem_clear>", 1, 0, 0xFE, ""},
        {"<ACCEL VK_F1>", 0, 0, 0, "Unknown identifier 'VK_F1' in accelerator definition."},
        {"<codepage 932 ignored>", 2, 0, 932, ""}, {"<CODEPAGE 1252abc>", 2, 0, 1252, ""},
        {"<CODEPAGE 0>", 0, 0, 0, "First argument in codepage definition is expected to be an integer codepage number."},
        {"<CODEPAGE 99999999999999999999>", 2, 0, 2147483647, ""},
        {"<CODEPAGE -1>", 2, 0, 0xFFFFFFFF, ""}, // read as the C library reads it
        {"<>", 0, 0, 0, "Tag type expected between '<' and '>'."}, {"<Menu x>", 0, 0, 0, "Tag type 'MENU' is unknown."},
        {"ACCEL N>", 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        std::string reason = "stale";
        std::unique_ptr<LanguageTag> tag = ParseTag(c.text, reason);
        EXPECT_EQ(c.reason, reason) << c.text;
        ASSERT_EQ(c.type != 0, tag != nullptr) << c.text;
        if (c.type == 1) {
            ASSERT_EQ(LanguageTag::kAccelerator, tag->GetType()) << c.text;
            const auto& a = static_cast<const AcceleratorTag&>(*tag);
            EXPECT_TRUE(a.NeedsEquals() && a.NeedsTagValue() && a.Command() == 0) << c.text;
            EXPECT_EQ(c.flags, a.Flags()) << c.text;
            EXPECT_EQ(c.key, a.Key()) << c.text;
        } else if (c.type == 2) {
            ASSERT_EQ(LanguageTag::kCodepage, tag->GetType()) << c.text;
            EXPECT_FALSE(tag->NeedsEquals() || tag->NeedsTagValue()) << c.text;
            EXPECT_EQ(c.key, static_cast<const CodepageTag&>(*tag).CodePage()) << c.text;
        }
    }
}

TEST(LanguageTagTest, KeyWordsAndCanonicalKeys) {
    const std::pair<const char*, unsigned> keys[] = {
        {"n", 0x4E}, {"7", 0x37}, {"+", 0}, {"\xE9", 0}, {"HANGUL", 0x15}, {"F24", 0x87}, {"f1", 0}, {"", 0}, {"LBUTTONX", 0}};
    for (const auto& [word, code] : keys) EXPECT_EQ(code, VirtualKeyFromName(word)) << word;

    const std::tuple<unsigned, unsigned, const char*> names[] = {
        {0x1D, 0x70, "ACCEL_VIRTKEY_CONTROL_ALT_SHIFT_0x70"}, {0x82, 0x0A, "ACCEL_0x0A"}, {0x14, 0x1FF, "ACCEL_ALT_SHIFT_0xFF"}};
    for (const auto& [flags, key, name] : names)
        EXPECT_EQ(name, AcceleratorKeyName(static_cast<std::uint8_t>(flags), static_cast<std::uint16_t>(key)));
}

TEST(LanguageTagTest, CodepageTableIsSortedAndMatchesPairs) {
    const auto table = CodepageLanguageTable();
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return a.codePage != b.codePage ? a.codePage < b.codePage : a.language < b.language;
    }));
    const std::tuple<unsigned, unsigned, bool> pairs[] = {
        {1252, 0x040C, true}, {1252, 0x0419, false}, {932, 0x0411, true}, {932, 0x0404, false},
        {1381, 0x1004, true}, {850, 0x0438, true},   {1250, 0x0438, true}, {70000, 0x0409, false}};
    for (const auto& [codePage, language, matches] : pairs) {
        EXPECT_EQ(matches, CodepageMatchesLanguage(codePage, static_cast<std::uint16_t>(language)))
            << codePage << " " << std::hex << language;
    }
}

} // namespace
