// File format: line classification, the events of both passes, and every syntax error.
#include "LangTestSupport.h"

#include <gtest/gtest.h>

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
        RecordingScanner first, second, replay;
        file.GetSectionsA(first);
        file.ScanFile(second);
        file.GetSectionsA(replay);
        EXPECT_EQ(c.first, first.events) << c.name;
        EXPECT_EQ(c.second, second.events) << c.name;
        EXPECT_EQ(c.first, replay.events) << c.name;
    }
}

TEST(LanguageFileTest, SyntaxErrorsNameFileLineAndCause) {
    struct Case { std::string text; const char* file; std::string expected; };
    const Case cases[] = {
        {"<ACCEL N", "FN1033.lng", ": Invalid tag syntax - cannot find '>'.\n"},
        {"<FOO> = 1", "FN1033.lng", ": Invalid tag '<FOO>':Tag type 'FOO' is unknown.\n"},
        {"< \t>", "FN1033.lng", ": Invalid tag '< \t>':Tag type expected between '<' and '>'.\n"},
        {"<accel CONTROL foo> = <ACCEL O>", "FN1033.lng",
         ": Invalid tag '<accel CONTROL foo>':Unknown identifier 'FOO' in accelerator definition.\n"},
        {"<CODEPAGE>", "FN1033.lng", ": Invalid tag '<CODEPAGE>':Codepage number expected in codepage definition.\n"},
        {"<codepage 1252>", "FN1049.lng", ": Specified codepage does not appear to match language of file.\n"},
        {"<CODEPAGE 1252>", "French.lng", ": Specified codepage does not appear to match language of file.\n"},
        {"<ACCEL VIRTKEY CONTROL N>", "FN1033.lng", ": equal (=) expected for this tag type.\n"},
        {"<ACCEL VIRTKEY CONTROL N> x = <ACCEL VIRTKEY CONTROL O>", "FN1033.lng",
         ": Unexpected text encountered between tag and '='."},
        {"<ACCEL F1> = F2", "FN1033.lng", ": Invalid RHS tag 'F2'.\n"},
        {"<ACCEL F1> = <ACCEL F99>", "FN1033.lng", ": Invalid RHS tag '<ACCEL F99>': Unknown identifier 'F99' in accelerator definition.\n"},
        {"/", "FN1033.lng", ": equal (=) expected.\n"},
    };
    for (const Case& c : cases) {
        LanguageFile file = FileFromText("[S]\n\n" + c.text + "\n", c.file);
        RecordingScanner scanner;
        try {
            file.ScanFile(scanner);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const LanguageFile::syntax_error& e) {
            EXPECT_EQ("In file '" + std::string(c.file) + "', line 3" + c.expected, std::string(e.Context()));
        }
    }
}

TEST(LanguageFileTest, RefusesUtf16FilesAndFilesWithoutSections) {
    RecordingScanner scanner;
    LanguageFile utf16 = FileFromText(std::string("\xFF\xFE[\0S\0]\0", 8), "u.lng");
    EXPECT_TRUE(utf16.IsUnicode());
    EXPECT_THROW(utf16.GetSectionsA(scanner), LanguageFile::no_unicode_file_support);
    EXPECT_THROW(utf16.ScanFile(scanner), LanguageFile::no_unicode_file_support);
    LanguageFile none = FileFromText("A=1\n  B = 2\n", "n.lng");
    EXPECT_THROW(none.GetSectionsA(scanner), LanguageFile::no_sections_found);
    EXPECT_THROW(LanguageFile("/nonexistent/FN1.lng"), LanguageFile::open_failed);
}

TEST(LanguageFileTest, Utf8ByteOrderMarkHidesAHeaderOnTheFirstLine) {
    LanguageFile file = FileFromText("\xEF\xBB\xBF[Shared]\nA=1\n[Main]\n");
    RecordingScanner first, second;
    file.GetSectionsA(first);
    EXPECT_EQ((Events{"[Main]", "End", "Eof"}), first.events);
    EXPECT_THROW(file.ScanFile(second), LanguageFile::syntax_error);
}

TEST(LanguageFileTest, LanguageComesFromTheDigitsBeforeTheLastDot) {
    const std::pair<const char*, std::uint16_t> cases[] = {
        {"C:\\x.1\\FN1036.lng", 0x040C}, {"FN1033.v2.lng", 2}, {"dir/FN.lng", 0}, {"FN99999.lng", 0}, {"65535.lng", 65535}};
    for (const auto& [path, language] : cases) EXPECT_EQ(language, LanguageFromFileName(path)) << path;
}

} // namespace
