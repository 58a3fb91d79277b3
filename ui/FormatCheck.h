#pragma once
// FormatCheck: decides whether a language text may be used as a printf format for the
// arguments the program passes. The texts come from files a user can edit, so a text is
// used only when its conversions agree with the arguments in number and type; otherwise
// the program's built-in format is used. Portable, stateless.
#include <string>
#include <string_view>

class FormatCheck {
public:
    // An argument list as one letter per argument, in order:
    //   'u'  unsigned long  (%lu, %ld, %li, %lx, %lX, %lo)
    //   'c'  int character  (%c)
    //   's'  const char*    (%s)
    // Flags (-+ #0), a width and a precision written as digits are allowed; '*', '$',
    // %n and every other conversion or length make the text unusable. "%%" is no argument.
    static bool Matches(std::string_view format, std::string_view arguments);

    // The language text when it matches the arguments, else the built-in format.
    static std::string Choose(const std::string& text, const char* builtIn, std::string_view arguments);
};
