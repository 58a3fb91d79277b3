#include "app/CommandLineScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Tokens written as "F/B" (flag with its prefix), "N:text", "#:digits"; the end is implied.
std::vector<std::string> Scan(const std::string& line) {
    CommandLineScanner scanner(line);
    std::vector<std::string> tokens;
    for (int guard = 0; guard < 100; ++guard) {
        const CommandToken token = scanner.Next();
        switch (token.kind) {
        case FlagToken:
            tokens.push_back(std::string("F") + token.prefix + token.text);
            break;
        case NameToken:
            tokens.push_back("N:" + token.text);
            break;
        case NumberToken:
            tokens.push_back("#:" + token.text);
            break;
        case EndToken:
            EXPECT_EQ(EndToken, scanner.Next().kind) << "the end repeats";
            return tokens;
        }
    }
    ADD_FAILURE() << "no end token for [" << line << "]";
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(CommandLineScannerTest, SplitsTheLineIntoTokens) {
    struct Case {
        std::string line;
        Tokens expected;
    };
    const Case cases[] = {
        {"", {}},
        {" \t\r\n\x01 ", {}},
        {"/S -b +E", {"F/S", "F-b", "F+E"}},
        {"\"C:\\My Music\\list.m3u\" /B", {"N:C:\\My Music\\list.m3u", "F/B"}},
        {"C:\\My Music\\list.m3u", {"N:C:\\My", "N:Music\\list.m3u"}},
        {"\"\"", {"N:"}},
        {"\"unterminated text", {"N:unterminated text"}},
        {"12 0x12 3a 007 9 9:", {"#:12", "N:0x12", "N:3a", "#:007", "#:9", "N:9:"}}, // to the last digit, not past
        {"-", {"F-"}},
        {"a\"b c", {"N:a\"b", "N:c"}},              // a quote inside a word is part of it
        {"/S\"x y\"", {"F/S\"x", "N:y\""}},         // and inside a flag, too
        {"x\ty\x1fz", {"N:x", "N:y", "N:z"}},       // every control character separates
        {std::string("a\0b", 3), {"N:a"}},          // the line ends at a zero byte
        {"\xe9t\xe9 /s", {"N:\xe9t\xe9", "F/s"}},   // bytes above 0x7F are ordinary characters
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Scan(c.line)) << "line [" << c.line << "]";
    }
}

} // namespace
