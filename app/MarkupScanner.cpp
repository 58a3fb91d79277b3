#include "app/MarkupScanner.h"

#include "support/Utf8.h"

#include <cstdint>

namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view kCdata = "<![CDATA[";
constexpr std::size_t kLongestReference = 12; // "#x" and ten digits (leading zeros allowed)

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// The code point of "#65" or "#x41"; 0 when it is not a valid character.
std::uint32_t NumericReference(std::string_view ref) {
    const bool hex = ref.size() > 1 && Lower(ref[1]) == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty()) return 0;
    std::uint32_t cp = 0;
    for (char c : digits) {
        std::uint32_t d;
        if (c >= '0' && c <= '9') {
            d = static_cast<std::uint32_t>(c - '0');
        } else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f') {
            d = static_cast<std::uint32_t>(Lower(c) - 'a' + 10);
        } else {
            return 0;
        }
        cp = cp * (hex ? 16 : 10) + d;
        if (cp > 0x10FFFF) return 0;
    }
    return cp >= 0xD800 && cp <= 0xDFFF ? 0 : cp;
}

} // namespace

std::string MarkupScanner::DecodeEntities(std::string_view raw, bool utf8) {
    static constexpr struct {
        std::string_view name;
        char c;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::size_t semi = raw[i] == '&' ? raw.substr(i + 1, kLongestReference + 1).find(';') : npos;
        if (semi == npos) {
            out += raw[i];
            continue;
        }
        const std::string_view ref = raw.substr(i + 1, semi);
        bool known = false;
        for (const auto& named : kNamed) {
            if (ref == named.name) {
                out += named.c;
                known = true;
            }
        }
        if (!known && !ref.empty() && ref[0] == '#') {
            const std::uint32_t cp = NumericReference(ref);
            if (cp >= 0x80 && !utf8) {
                out.append(raw.substr(i, semi + 2));
            } else if (cp != 0) {
                utf8::Append(out, cp);
            }
            known = true;
        }
        if (known) {
            i += semi + 1;
        } else {
            out += '&';
        }
    }
    return out;
}

bool MarkupScanner::Next(MarkupTag& tag) {
    for (;;) {
        const std::size_t open = text_.find('<', pos_);
        if (open == npos) return false;
        const std::string_view rest = text_.substr(open);
        // Comments, declarations, instructions and stray CDATA: skipped whole.
        std::string_view close;
        if (rest.substr(0, 4) == "<!--") {
            close = "-->";
        } else if (rest.substr(0, kCdata.size()) == kCdata) {
            close = "]]>";
        } else if (rest.substr(0, 2) == "<?") {
            close = "?>";
        } else if (rest.substr(0, 2) == "<!") {
            close = ">";
        }
        if (!close.empty()) {
            const std::size_t found = text_.find(close, open + 2);
            if (found == npos) return false;
            pos_ = found + close.size();
            continue;
        }

        std::size_t p = open + 1;
        tag.end = p < text_.size() && text_[p] == '/';
        if (tag.end) ++p;
        tag.name.clear();
        for (; p < text_.size() && !IsSpace(text_[p]) && text_[p] != '/' && text_[p] != '>'; ++p) {
            tag.name += Lower(text_[p]);
        }
        const std::size_t attributes = p;
        char quote = 0;
        for (; p < text_.size(); ++p) {
            const char c = text_[p];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (p >= text_.size()) return false;
        tag.empty = p > attributes && text_[p - 1] == '/';
        tag.attributes = text_.substr(attributes, p - attributes - (tag.empty ? 1 : 0));
        tag.offset = open;
        pos_ = p + 1;
        tag.text = ReadText();
        return true;
    }
}

std::string MarkupScanner::ReadText() {
    std::string text;
    for (;;) {
        const std::size_t open = text_.find('<', pos_);
        const std::size_t stop = open == npos ? text_.size() : open;
        text += DecodeEntities(text_.substr(pos_, stop - pos_), utf8_);
        pos_ = stop;
        if (text_.substr(pos_, kCdata.size()) != kCdata) return text;
        const std::size_t close = text_.find("]]>", pos_ + kCdata.size());
        const std::size_t end = close == npos ? text_.size() : close;
        text.append(text_.substr(pos_ + kCdata.size(), end - pos_ - kCdata.size()));
        pos_ = close == npos ? end : close + 3;
    }
}

std::string MarkupScanner::Attribute(const MarkupTag& tag, std::string_view name) const {
    const std::string_view a = tag.attributes;
    std::size_t p = 0;
    while (p < a.size()) {
        while (p < a.size() && (IsSpace(a[p]) || a[p] == '/')) ++p;
        const std::size_t keyStart = p;
        while (p < a.size() && !IsSpace(a[p]) && a[p] != '=' && a[p] != '/') ++p;
        const std::string_view key = a.substr(keyStart, p - keyStart);
        while (p < a.size() && IsSpace(a[p])) ++p;
        std::string_view value;
        if (p < a.size() && a[p] == '=') {
            ++p;
            while (p < a.size() && IsSpace(a[p])) ++p;
            if (p < a.size() && (a[p] == '"' || a[p] == '\'')) {
                const std::size_t close = a.find(a[p], p + 1);
                const std::size_t end = close == npos ? a.size() : close;
                value = a.substr(p + 1, end - p - 1);
                p = end + 1;
            } else {
                const std::size_t start = p;
                while (p < a.size() && !IsSpace(a[p])) ++p;
                value = a.substr(start, p - start);
            }
        }
        if (!key.empty() && EqualsNoCase(key, name)) return DecodeEntities(value, utf8_);
    }
    return std::string();
}
