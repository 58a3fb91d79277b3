#include "lib/LangStrings/LangFile/LanguageFile.h"

#include "lib/LangStrings/LangFile/CodepageTag.h"
#include "lib/LangStrings/LangFile/LanguageTag.h"
#include "support/TrimChars.h"

#include <fstream>

LineKind ClassifyLine(std::string_view trimmed) {
    if (trimmed.empty()) return LineKind::kEmpty;
    if (trimmed.size() >= 2 && trimmed[0] == '/' && trimmed[1] == '/') return LineKind::kComment;
    if (trimmed[0] == '[') return LineKind::kSection;
    if (trimmed[0] == '<') return LineKind::kTag;
    return LineKind::kString;
}

std::string SectionName(std::string_view trimmed) { return TrimChars(std::string(trimmed), "[]"); }

std::uint16_t LanguageFromFileName(std::string_view path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return 0;
    std::size_t first = dot;
    while (first > 0 && path[first - 1] >= '0' && path[first - 1] <= '9') --first;
    if (first == dot) return 0;
    unsigned long value = 0;
    for (std::size_t i = first; i < dot; ++i) {
        value = value * 10 + static_cast<unsigned long>(path[i] - '0');
        if (value > 0xFFFF) return 0;
    }
    return static_cast<std::uint16_t>(value);
}

LanguageFile::LanguageFile(std::string path) : path_(std::move(path)) {
    auto file = std::make_unique<std::ifstream>(path_, std::ios::in | std::ios::binary);
    if (!file->is_open()) {
        FENNEL_THROW(open_failed, "LanguageFile::LanguageFile()",
                     ("Open of file '" + path_ + "' failed.").c_str());
    }
    stream_ = std::move(file);
    Rewind();
    char bom[2] = {};
    stream_->read(bom, 2);
    unicode_ = stream_->gcount() == 2 && static_cast<unsigned char>(bom[0]) == 0xFF &&
               static_cast<unsigned char>(bom[1]) == 0xFE;
}

LanguageFile::LanguageFile(std::string path, std::unique_ptr<std::istream> stream)
    : path_(std::move(path)), stream_(std::move(stream)) {
    if (!stream_ || !*stream_) {
        FENNEL_THROW(open_failed, "LanguageFile::LanguageFile()",
                     ("Open of file '" + path_ + "' failed.").c_str());
    }
    char bom[2] = {};
    stream_->read(bom, 2);
    unicode_ = stream_->gcount() == 2 && static_cast<unsigned char>(bom[0]) == 0xFF &&
               static_cast<unsigned char>(bom[1]) == 0xFE;
}

void LanguageFile::Rewind() {
    stream_->clear();
    stream_->seekg(0, std::ios::beg);
}

// One physical line without its line feed; a carriage return just before the line feed
// is dropped as a text-mode read would drop it.
bool LanguageFile::NextLine(std::string& line) {
    if (!std::getline(*stream_, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void LanguageFile::ReportSections(const std::vector<std::string>& names,
                                  LanguageScanner& scanner) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0) scanner.EndSection();
        scanner.Section(names[i]);
    }
    if (!names.empty()) scanner.EndSection();
    scanner.Eof();
}

void LanguageFile::GetSectionsA(LanguageScanner& scanner) {
    if (unicode_) {
        FENNEL_THROW(no_unicode_file_support, "LanguageFile::GetSectionsA()",
                     ("filename=" + path_).c_str());
    }
    if (sections_.empty()) {
        Rewind();
        std::string line;
        while (NextLine(line)) {
            std::string_view trimmed = TrimBlanks(line);
            if (ClassifyLine(trimmed) == LineKind::kSection) {
                sections_.push_back(SectionName(trimmed));
            }
        }
        if (sections_.empty()) {
            FENNEL_THROW(no_sections_found, "LanguageFile::GetSectionsA()",
                         ("No sections found in language file '" + path_ + "'").c_str());
        }
    }
    ReportSections(sections_, scanner);
}

void LanguageFile::SyntaxError(unsigned long lineNumber, const std::string& tail) const {
    const std::string text =
        "In file '" + path_ + "', line " + std::to_string(lineNumber) + tail;
    FENNEL_THROW(syntax_error, "LanguageFile::ScanFile()", text.c_str());
}

void LanguageFile::ScanTagLine(std::string_view line, unsigned long lineNumber,
                               LanguageScanner& scanner) {
    const std::size_t close = line.find('>', 1);
    if (close == std::string_view::npos) {
        SyntaxError(lineNumber, ": Invalid tag syntax - cannot find '>'.\n");
    }
    const std::string tagText(line.substr(0, close + 1));
    std::string reason;
    std::unique_ptr<LanguageTag> tag = ParseTag(tagText, reason);
    if (!tag) {
        SyntaxError(lineNumber, reason.empty() ? ": Invalid tag '" + tagText + "'.\n"
                                               : ": Invalid tag '" + tagText + "':" + reason + "\n");
    }
    if (tag->GetType() == LanguageTag::kCodepage) {
        const auto& codepage = static_cast<const CodepageTag&>(*tag);
        if (!CodepageMatchesLanguage(codepage.CodePage(), LanguageFromFileName(path_))) {
            SyntaxError(lineNumber,
                        ": Specified codepage does not appear to match language of file.\n");
        }
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        if (tag->NeedsEquals()) SyntaxError(lineNumber, ": equal (=) expected for this tag type.\n");
        scanner.Tag(tagText, {});
        return;
    }
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (key != tagText) {
        SyntaxError(lineNumber, ": Unexpected text encountered between tag and '='.");
    }
    if (tag->NeedsTagValue() && !ParseTag(value, reason)) {
        const std::string shown(value);
        SyntaxError(lineNumber, reason.empty() ? ": Invalid RHS tag '" + shown + "'.\n"
                                               : ": Invalid RHS tag '" + shown + "': " + reason + "\n");
    }
    scanner.Tag(key, value);
}

void LanguageFile::ScanStringLine(std::string_view line, unsigned long lineNumber,
                                  LanguageScanner& scanner) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) SyntaxError(lineNumber, ": equal (=) expected.\n");
    scanner.String(TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1)));
}

void LanguageFile::ScanFile(LanguageScanner& scanner) {
    if (unicode_) {
        FENNEL_THROW(no_unicode_file_support, "LanguageFile::ScanFile()",
                     ("filename=" + path_).c_str());
    }
    Rewind();
    bool sectionOpen = false;
    unsigned long lineNumber = 0;
    std::string line;
    while (NextLine(line)) {
        ++lineNumber;
        const std::string_view trimmed = TrimBlanks(line);
        switch (ClassifyLine(trimmed)) {
        case LineKind::kEmpty:
        case LineKind::kComment:
            break;
        case LineKind::kSection:
            if (sectionOpen) scanner.EndSection();
            scanner.Section(SectionName(trimmed));
            sectionOpen = true;
            break;
        case LineKind::kTag:
            ScanTagLine(trimmed, lineNumber, scanner);
            break;
        case LineKind::kString:
            ScanStringLine(trimmed, lineNumber, scanner);
            break;
        }
    }
    if (sectionOpen) scanner.EndSection();
    scanner.Eof();
}
