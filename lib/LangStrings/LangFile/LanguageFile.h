#pragma once
// LanguageFile: reads one language file in two passes and reports what it holds to a
// LanguageScanner. GetSectionsA lists the section headers (cached after the first call);
// ScanFile reports headers, strings and tag lines in file order. Both passes classify lines
// by the same rule, so they always see the same headers in the same order. Bytes are kept
// as they are in the file's code page; UTF-16 files are refused. One thread at a time.
#include "lib/LangStrings/LangFile/LanguageScanner.h"
#include "support/ContextException.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LanguageFile {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(open_failed, base_exception);
    FENNEL_EXCEPTION(no_unicode_file_support, base_exception);
    FENNEL_EXCEPTION(no_sections_found, base_exception);
    FENNEL_EXCEPTION(syntax_error, base_exception);

    // Opens the file for reading. Throws open_failed.
    explicit LanguageFile(std::string path);
    // Reads the bytes of an already open stream; path names the file (its language digits
    // are checked against code-page tags) and appears in failure texts.
    LanguageFile(std::string path, std::unique_ptr<std::istream> stream);

    // First pass: Section for every header, EndSection between and after them, then Eof.
    // Throws no_unicode_file_support, no_sections_found.
    void GetSectionsA(LanguageScanner& scanner);
    // Second pass: every header, string and tag line. Throws no_unicode_file_support,
    // syntax_error.
    void ScanFile(LanguageScanner& scanner);

    const std::string& Path() const { return path_; }
    bool IsUnicode() const { return unicode_; }

private:
    void Rewind();
    bool NextLine(std::string& line);
    [[noreturn]] void SyntaxError(unsigned long lineNumber, const std::string& tail) const;
    void ScanTagLine(std::string_view line, unsigned long lineNumber, LanguageScanner& scanner);
    void ScanStringLine(std::string_view line, unsigned long lineNumber, LanguageScanner& scanner);
    static void ReportSections(const std::vector<std::string>& names, LanguageScanner& scanner);

    std::string path_;
    std::unique_ptr<std::istream> stream_;
    bool unicode_ = false;
    std::vector<std::string> sections_;
};

// How a trimmed line of a language file is read. Both passes use this one rule.
enum class LineKind { kEmpty, kComment, kSection, kTag, kString };
LineKind ClassifyLine(std::string_view trimmed);
// The name of a section header line: the trimmed line without leading and trailing '[' ']'.
std::string SectionName(std::string_view trimmed);

// The decimal number formed by the digits just before the last '.' of the path; 0 when
// there is no '.', no digit there, or the number does not fit 16 bits.
std::uint16_t LanguageFromFileName(std::string_view path);
