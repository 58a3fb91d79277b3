#include "support/FormatApiError.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatApiErrorTest, NamesTheCallTheCodeAndTheSystemText) {
    const std::string known = FormatApiError("RegisterClass()", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, known.rfind("Call to 'RegisterClass()' returned error 5: ", 0)) << known;
    EXPECT_GT(known.size(), std::string("Call to 'RegisterClass()' returned error 5: ").size()) << known;

    // A code without system text ends with the number; codes print unsigned.
    EXPECT_EQ("Call to 'X' returned error 4294967295", FormatApiError("X", 0xFFFFFFFF));
}

} // namespace
