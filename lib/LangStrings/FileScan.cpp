#include "lib/LangStrings/FileScan.h"

#include "lib/LangStrings/LangFile/AcceleratorTag.h"
#include "lib/LangStrings/LangFile/CodepageTag.h"
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/StoreLayout.h"

#include <functional>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One pass over text: wherever match(text, i) accepts a position that does not start on
// the second byte of a double-byte character, replace(text, i, out) appends the
// replacement and answers how many bytes it consumed.
using Matcher = std::function<std::size_t(std::string_view, std::size_t, std::string&)>;

std::string ReplacePass(std::string_view text, const CodePageTraits& codePage, const Matcher& replace) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (codePage.leadBytes[static_cast<unsigned char>(text[i])] && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        const std::size_t consumed = replace(text, i, out);
        if (consumed == 0) {
            out.push_back(text[i]);
            ++i;
        } else {
            i += consumed;
        }
    }
    return out;
}

Matcher SimpleEscape(char letter, char replacement) {
    return [letter, replacement](std::string_view text, std::size_t i, std::string& out) {
        if (text[i] != '\\' || i + 1 >= text.size() || text[i + 1] != letter) return std::size_t{0};
        out.push_back(replacement);
        return std::size_t{2};
    };
}

[[noreturn]] void Overflow(const char* text) {
    FENNEL_THROW(FileScan::memory_overflow, "FileScan::String()", text);
}

} // namespace

CodePageTraits CodePageTraits::For(std::uint32_t codePage) {
    CodePageTraits traits;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        traits.leadBytes[byte] = langplatform::IsLeadByte(codePage, static_cast<unsigned char>(byte));
    }
    traits.noBreakSpace = langplatform::NoBreakSpace(codePage);
    return traits;
}

std::string ApplyValueEscapes(std::string_view value, std::uint32_t codePage) {
    return ApplyValueEscapes(value, CodePageTraits::For(codePage));
}

std::string ApplyValueEscapes(std::string_view value, const CodePageTraits& codePage) {
    if (value.find('\\') == std::string_view::npos && value.find(" :") == std::string_view::npos) {
        return std::string(value);
    }
    std::string text = ReplacePass(value, codePage, SimpleEscape('n', '\n'));
    text = ReplacePass(text, codePage, SimpleEscape('r', '\r'));
    text = ReplacePass(text, codePage, SimpleEscape('t', '\t'));
    text = ReplacePass(text, codePage, [](std::string_view t, std::size_t i, std::string& out) {
        if (i + 3 >= t.size() || t[i] != '\\' || t[i + 1] != 'x') return std::size_t{0};
        const int high = HexDigit(t[i + 2]), low = HexDigit(t[i + 3]);
        if (high < 0 || low < 0) return std::size_t{0};
        out.push_back(static_cast<char>(high * 16 + low));
        return std::size_t{4};
    });
    const std::string& noBreakSpace = codePage.noBreakSpace;
    if (noBreakSpace.empty()) return text;
    return ReplacePass(text, codePage, [&](std::string_view t, std::size_t i, std::string& out) {
        if (t[i] != ' ' || i + 1 >= t.size() || t[i + 1] != ':') return std::size_t{0};
        out += noBreakSpace;
        out.push_back(':');
        return std::size_t{2};
    });
}

FileScan::FileScan(unsigned char* view, std::size_t size, std::size_t& cursor, std::string path)
    : view_(view), size_(size), cursor_(cursor), path_(std::move(path)) {
    const std::size_t stored =
        size_ >= store::kHeaderSize ? store::Read32(view_ + store::kSectionCountOffset) : 0;
    const std::size_t fitting =
        size_ >= store::kHeaderSize ? (size_ - store::kHeaderSize) / store::kEntrySize : 0;
    tableEntries_ = stored < fitting ? stored : fitting;
}

unsigned char* FileScan::EntryOfCurrentSection() const {
    if (!sectionOpen_ || section_ >= tableEntries_) return nullptr;
    return view_ + store::kHeaderSize + section_ * store::kEntrySize;
}

void FileScan::Section(std::string_view name) {
    sectionName_ = name;
    records_ = 0;
    sectionOpen_ = true;
    if (unsigned char* entry = EntryOfCurrentSection()) {
        store::Write32(entry + store::kEntryFirstRecordOffset, static_cast<std::uint32_t>(cursor_));
    }
}

void FileScan::EndSection() {
    if (unsigned char* entry = EntryOfCurrentSection()) {
        store::Write32(entry + store::kEntryCountOffset, records_);
    }
    ++section_;
    sectionOpen_ = false;
}

void FileScan::String(std::string_view key, std::string_view value) {
    if (value.empty()) return;
    if (cursor_ >= size_) Overflow("No more shared memory available.");
    if (key.size() > store::kMaxTextLength || 2 + key.size() + 1 > size_ - cursor_) {
        Overflow("String will not fit in shared memory.");
    }
    store::Write16(view_ + cursor_, static_cast<std::uint16_t>(key.size()));
    std::memcpy(view_ + cursor_ + 2, key.data(), key.size());
    view_[cursor_ + 2 + key.size()] = 0;
    cursor_ += 2 + key.size() + 1;

    const std::uint32_t codePage =
        size_ >= store::kHeaderSize ? store::Read32(view_ + store::kCodePageOffset) : 0;
    const std::string text = ApplyValueEscapes(value, TraitsOf(codePage));
    if (text.size() > store::kMaxTextLength || 2 + text.size() + 1 > size_ - cursor_) {
        Overflow("String will not fit in shared memory.");
    }
    store::Write16(view_ + cursor_, static_cast<std::uint16_t>(text.size()));
    std::memcpy(view_ + cursor_ + 2, text.data(), text.size());
    view_[cursor_ + 2 + text.size()] = 0;
    cursor_ += 2 + text.size() + 1;
    // Strings before the first header are written but belong to no section.
    if (EntryOfCurrentSection() != nullptr) ++records_;
}

const CodePageTraits& FileScan::TraitsOf(std::uint32_t codePage) {
    if (!haveTraits_ || traitsCodePage_ != codePage) {
        traits_ = CodePageTraits::For(codePage);
        traitsCodePage_ = codePage;
        haveTraits_ = true;
    }
    return traits_;
}

void FileScan::Tag(std::string_view key, std::string_view value) {
    std::string reason;
    std::unique_ptr<LanguageTag> tag = ParseTag(key, reason);
    if (!tag) return;
    if (tag->GetType() == LanguageTag::kAccelerator) {
        const auto& accelerator = static_cast<const AcceleratorTag&>(*tag);
        String(AcceleratorKeyName(accelerator.Flags(), accelerator.Key()), value);
    } else if (tag->GetType() == LanguageTag::kCodepage && size_ >= store::kHeaderSize) {
        store::Write32(view_ + store::kCodePageOffset,
                       static_cast<const CodepageTag&>(*tag).CodePage());
    }
}
