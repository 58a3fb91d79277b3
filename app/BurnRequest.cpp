#include "app/BurnRequest.h"

#include "app/CommandLineScanner.h"
#include "support/TrimChars.h"

#include <fstream>

namespace {

constexpr std::int32_t kNoCommandLine = -4;

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Splits a text file into lines; CR LF and LF both end a line.
std::vector<std::string> ReadLines(std::ifstream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

bool BurnRequest::Parse(const std::string& commandLineTail, StartChecks& checks) {
    if (commandLineTail.empty()) {
        checks.SetBurnResults(kNoCommandLine);
        checks.ShowNoCommandLine();
        return true;
    }

    bool checkOnly = false, mediaQuery = false, endAfterParse = false;
    CommandLineScanner scanner(commandLineTail);
    for (CommandToken token = scanner.Next(); token.kind != EndToken; token = scanner.Next()) {
        if (token.kind == NameToken) {
            playlistPath = token.text;
            continue;
        }
        if (token.kind != FlagToken) continue;
        const std::string flag = UpperAscii(token.text);
        if (flag == "B") {
            burnAtOnce = true;
        } else if (flag == "C") {
            checkOnly = true;
        } else if (flag == "E") {
            eraseFirst = true;
        } else if (flag == "S") {
            silent = true;
        } else if (flag == "T") {
            mediaQuery = true;
        } else if (flag == "U") {
            endAfterParse = true;
        } else {
            checks.ReportUnknownFlag(std::string("Unknown command-line flag '") + token.prefix + token.text + "'");
        }
    }

    const bool pathOptional = (checkOnly || eraseFirst || mediaQuery || endAfterParse) && !burnAtOnce;
    if (!pathOptional && playlistPath.empty()) {
        checks.SetBurnResults(kNoCommandLine);
        checks.ShowNoCommandLine();
        return true;
    }
    eraseOnly = eraseFirst && playlistPath.empty();
    if (endAfterParse) return true;

    const std::int32_t engine = checks.EngineCheck(checkOnly || silent);
    if (engine != 0 && !checkOnly && !silent) return true;
    if (mediaQuery) {
        checks.MediaQuery();
        return true;
    }
    return checkOnly;
}

bool BurnRequest::ReadPlaylist(const std::string& path) {
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return true;
    const std::vector<std::string> lines = ReadLines(in);

    if (UpperAscii(path).find(".ASX") != std::string::npos) {
        for (const std::string& line : lines) {
            const std::size_t ref = UpperAscii(line).find("REF HREF");
            if (ref == std::string::npos) continue;
            const std::size_t quote = line.find('"', ref);
            if (quote == std::string::npos) continue;
            tracks.push_back({TrimChars(line.substr(quote + 1), "/>\"")});
        }
    } else {
        for (const std::string& line : lines) {
            if (line.size() > 2) tracks.push_back({line});
        }
    }
    return true;
}
