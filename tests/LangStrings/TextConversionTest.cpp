// Conversions between code pages and wide text, double-byte code pages included.
#include "inc/string_ext.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Case {
    std::string bytes;
    std::uint32_t codePage;
    std::wstring wide;
};

TEST(TextConversionTest, ConvertsBothWays) {
    const Case cases[] = {
        {"Nom\xA0:", 1252, L"Nom\u00A0:"},
        {"\x80 \xE9", 1252, L"\u20AC \u00E9"},
        {"\x83\x65\x83\x58\x83\x67", 932, L"\u30C6\u30B9\u30C8"},
        {"\x95\x5C\x8E\xA6 A", 932, L"\u8868\u793A A"},
        {"\xC4\xE0", 1251, L"\u0414\u0430"},
        {"", 932, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.wide, convert_wstring(c.bytes, c.codePage)) << c.codePage;
        EXPECT_EQ(c.bytes, convert_string(c.wide, c.codePage)) << c.codePage;
    }
}

TEST(TextConversionTest, RecodesBetweenCodePages) {
    EXPECT_EQ("caf\xE9", convert_codepage("caf\xE9", 1252, 1252));
    EXPECT_EQ("\xE9t\xE9", convert_codepage("\xE9t\xE9", 1252, 1250));
    EXPECT_EQ("?", convert_codepage("\x83\x65", 932, 1252)); // no such character: replaced
    EXPECT_THROW(convert_wstring("abc", 77777), convert_wstring_failed);
    EXPECT_THROW(convert_string(L"abc", 77777), convert_string_failed);
    try {
        convert_string(L"x", 77777);
    } catch (const convert_string_failed& e) {
        EXPECT_STREQ("convert_string", e.Where());
        EXPECT_NE(nullptr, std::strstr(e.what(), "[inc/string_ext:479]")) << e.what();
    }
}

} // namespace
