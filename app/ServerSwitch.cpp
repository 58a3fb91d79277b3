#include "app/ServerSwitch.h"

#include <cstring>

namespace {

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return *a == *b;
}

} // namespace

ServerSwitch ScanServerSwitches(const std::string& commandLine) {
    const char* line = commandLine.c_str();
    for (const char* token = std::strpbrk(line, "-/"); token; token = std::strpbrk(token, "-/")) {
        ++token;
        if (EqualNoCase(token, "UnregServer")) return ServerSwitch::UnregServer;
        if (EqualNoCase(token, "RegServer")) return ServerSwitch::RegServer;
        if (EqualNoCase(token, "Automation")) return ServerSwitch::Automation;
        if (EqualNoCase(token, "Embedding")) return ServerSwitch::Embedding;
    }
    return ServerSwitch::None;
}
