#include "app/CommandLineScanner.h"

namespace {

bool IsSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x01 && u <= 0x20;
}

bool AllDigits(const std::string& text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return !text.empty();
}

} // namespace

CommandLineScanner::CommandLineScanner(const std::string& text) : text_(text.c_str()) {}

CommandToken CommandLineScanner::Next() {
    while (pos_ < text_.size() && IsSeparator(text_[pos_])) ++pos_;
    CommandToken token;
    if (pos_ >= text_.size()) return token;

    const char first = text_[pos_];
    if (first == '"') {
        const std::size_t close = text_.find('"', pos_ + 1);
        const std::size_t end = close == std::string::npos ? text_.size() : close;
        token.kind = NameToken;
        token.text = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = close == std::string::npos ? end : close + 1;
        return token;
    }

    const bool flag = first == '-' || first == '+' || first == '/';
    const std::size_t start = flag ? pos_ + 1 : pos_;
    std::size_t end = start;
    while (end < text_.size() && !IsSeparator(text_[end])) ++end;
    token.text = text_.substr(start, end - start);
    pos_ = end;
    if (flag) {
        token.kind = FlagToken;
        token.prefix = first;
    } else {
        token.kind = AllDigits(token.text) ? NumberToken : NameToken;
    }
    return token;
}
