#include "support/TrimChars.h"

#include <gtest/gtest.h>

namespace {

TEST(TrimCharsTest, RemovesTheSetFromBothEndsOnly) {
    struct Case {
        const char* text;
        const char* chars;
        const char* expected;
    };
    const Case cases[] = {
        {"", "/>\"", ""},
        {"C:\\a b.wma\"/>", "/>\"", "C:\\a b.wma"},
        {"\"/x/\"", "/>\"", "x"},
        {"a/>b", "/>\"", "a/>b"},          // inside characters stay
        {"C:\\a.wma\" />", "/>\"", "C:\\a.wma\" "}, // a blank is not in the set: it ends the trim
        {"/>\"/>", "/>\"", ""},             // nothing but the set
        {"  x  ", " ", "x"},
        {"x", "", "x"},
        {"\tkey = value \t", " \t", "key = value"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, TrimChars(c.text, c.chars)) << "text [" << c.text << "]";
    }
}

} // namespace
