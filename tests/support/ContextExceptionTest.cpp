#include "support/ContextException.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ContextExceptionTest, ComposesItsText) {
    struct Case { const char *where, *context, *file; int line; const char *name, *expected; };
    const Case cases[] = {
        {"GetExePath()", "Call to GetModuleFileName() failed.", "a.cpp", 73, "exe_path_not_found",
         "exe_path_not_found thrown by GetExePath() [a.cpp:73] with context\nCall to GetModuleFileName() failed."},
        {nullptr, nullptr, "f", 1, "n", "n thrown by  [f:1]"},
        {"W()", nullptr, nullptr, -5, nullptr, "<exception not named> thrown by W() [:-5]"},
        {"W()", "", "", 0, "", "<exception not named> thrown by W() [:0]"},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.expected, ContextException(c.where, c.context, c.file, c.line, c.name).what());
}

TEST(ContextExceptionTest, LongTextsStayWholeAndSurviveCopies) {
    const std::string where(200, 'w'), context(300, 'c');
    ContextException e(where.c_str(), context.c_str(), "file.cpp", 9, "big");
    ContextException copy(e), assigned("x", "y", "z", 1, "q");
    assigned = copy;
    for (const ContextException* x : {&e, &copy, &assigned}) {
        EXPECT_EQ("big thrown by " + where + " [file.cpp:9] with context\n" + context, x->what());
        EXPECT_EQ(where + context + "big", std::string(x->Where()) + x->Context() + x->Name());
    }
    EXPECT_NE(e.what(), copy.what()) << "a copy must own its own block";
}

struct Owner {
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(named_failure, base_exception);
};

TEST(ContextExceptionTest, NestedFailuresCarryTheirNameAndPlace) {
    try {
        FENNEL_THROW(Owner::named_failure, "Owner::Do()", "detail");
    } catch (const Owner::base_exception& e) {
        const std::string text = e.what();
        EXPECT_EQ(0u, text.rfind("named_failure thrown by Owner::Do() [", 0)) << text;
        EXPECT_NE(std::string::npos, text.find("ContextExceptionTest.cpp:")) << text;
    }
}

} // namespace
