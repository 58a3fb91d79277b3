// Conversions between code pages and wide text, double-byte code pages included.
#include "inc/string_ext.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversionTest, ConvertsBothWaysAndRecodes) {
    struct Case { std::string bytes; std::uint32_t codePage; std::wstring wide; };
    const Case cases[] = {
        {"\x80 \xE9\xA0", 1252, L"\u20AC \u00E9\u00A0"},
        {"\x83\x65\x83\x58\x83\x67", 932, L"\u30C6\u30B9\u30C8"},
        {"\x95\x5C\x8E\xA6 A", 932, L"\u8868\u793A A"},
        {"\xC4\xE0", 1251, L"\u0414\u0430"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.wide, convert_wstring(c.bytes, c.codePage)) << c.codePage;
        EXPECT_EQ(c.bytes, convert_string(c.wide, c.codePage)) << c.codePage;
    }
    EXPECT_EQ("\xE9t\xE9", convert_codepage("\xE9t\xE9", 1252, 1250));
    EXPECT_EQ("?", convert_codepage("\x83\x65", 932, 1252)); // no such character: replaced
    EXPECT_THROW(convert_wstring("abc", 77777), convert_wstring_failed);
    EXPECT_THROW(convert_string(L"abc", 77777), convert_string_failed);
}

} // namespace
