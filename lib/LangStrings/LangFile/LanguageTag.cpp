#include "lib/LangStrings/LangFile/LanguageTag.h"

#include "lib/LangStrings/LangFile/AcceleratorTag.h"
#include "lib/LangStrings/LangFile/CodepageTag.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::vector<std::string> UpperWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(UpperAscii(c));
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// Reads the leading number of a word as the C library's atoi does, saturating instead of
// overflowing.
long long LeadingInteger(std::string_view word) {
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    long long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return value;
}

std::unique_ptr<LanguageTag> ParseAccelerator(const std::vector<std::string>& words,
                                              std::string& reason) {
    auto tag = std::make_unique<AcceleratorTag>();
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "VIRTKEY") {
            tag->AddFlags(accel::kVirtKey);
        } else if (w == "SHIFT") {
            tag->AddFlags(accel::kShift);
        } else if (w == "CONTROL") {
            tag->AddFlags(accel::kControl);
        } else if (w == "ALT") {
            tag->AddFlags(accel::kAlt);
        } else {
            std::uint16_t key = VirtualKeyFromName(w);
            if (key == 0) {
                reason = "Unknown identifier '" + w + "' in accelerator definition.";
                return nullptr;
            }
            tag->SetKey(key);
        }
    }
    return tag;
}

std::unique_ptr<LanguageTag> ParseCodepage(const std::vector<std::string>& words,
                                           std::string& reason) {
    if (words.size() < 2) {
        reason = "Codepage number expected in codepage definition.";
        return nullptr;
    }
    long long number = LeadingInteger(words[1]);
    if (number == 0) {
        reason = "First argument in codepage definition is expected to be an integer codepage "
                 "number.";
        return nullptr;
    }
    return std::make_unique<CodepageTag>(static_cast<std::uint32_t>(number));
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
    return text.substr(begin, end - begin);
}

std::unique_ptr<LanguageTag> ParseTag(std::string_view text, std::string& reason) {
    reason.clear();
    if (text.size() < 2 || text.front() != '<' || text.back() != '>') return nullptr;
    const std::vector<std::string> words = UpperWords(text.substr(1, text.size() - 2));
    if (words.empty()) {
        reason = "Tag type expected between '<' and '>'.";
        return nullptr;
    }
    const std::string& type = words.front();
    if (type == "ACCEL" || type == "ACCELERATOR") return ParseAccelerator(words, reason);
    if (type == "CODEPAGE") return ParseCodepage(words, reason);
    reason = "Tag type '" + type + "' is unknown.";
    return nullptr;
}
