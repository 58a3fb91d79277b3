#include "support/TrimChars.h"

#include <gtest/gtest.h>

namespace {

TEST(TrimCharsTest, RemovesTheSetFromBothEndsOnly) {
    const char* cases[][3] = {// text, set, expected
        {"", "/>\"", ""}, {"C:\\a b.wma\"/>", "/>\"", "C:\\a b.wma"}, {"\"/x/\"", "/>\"", "x"}, {"/>\"/>", "/>\"", ""}, {"x", "", "x"},
        {"a/>b", "/>\"", "a/>b"},                   // inside characters stay
        {"C:\\a.wma\" />", "/>\"", "C:\\a.wma\" "}, // a blank is not in the set: it ends the trim
        {"\tkey = value \t", " \t", "key = value"}};
    for (const auto& c : cases) EXPECT_EQ(c[2], TrimChars(c[0], c[1])) << "text [" << c[0] << "]";
}

} // namespace
