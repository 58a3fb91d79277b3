#pragma once
// FileScan: the second-pass scanner of a store fill. Appends each string of a section as
// a record at the write cursor (after applying the value escapes), stores accelerator tags
// under their canonical keys and code-page tags in the header, and completes each section's
// table entry. It never addresses a table entry beyond those the first pass laid out.
// Runs under the store's Mutex on the filling thread.
#include "lib/LangStrings/LangFile/LanguageScanner.h"
#include "support/ContextException.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// What the value escapes need to know of a code page: its lead bytes and its no-break space
// (empty when it has none).
struct CodePageTraits {
    std::array<bool, 256> leadBytes{};
    std::string noBreakSpace;

    static CodePageTraits For(std::uint32_t codePage);
};

class FileScan : public LanguageScanner {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(memory_overflow, base_exception);

    // view and size describe the whole store, already holding the first pass's table;
    // cursor is the shared write offset.
    FileScan(unsigned char* view, std::size_t size, std::size_t& cursor, std::string path);

    void Tag(std::string_view key, std::string_view value) override;
    void Section(std::string_view name) override;
    // Throws memory_overflow when the record does not fit the store, or when key or value
    // is longer than a record's 16-bit length can say.
    void String(std::string_view key, std::string_view value) override;
    void EndSection() override;
    void Eof() override {}

private:
    unsigned char* EntryOfCurrentSection() const;
    const CodePageTraits& TraitsOf(std::uint32_t codePage);

    unsigned char* view_;
    std::size_t size_;
    std::size_t& cursor_;
    std::string path_;
    std::size_t tableEntries_;
    std::size_t section_ = 0;
    bool sectionOpen_ = false;
    std::uint32_t records_ = 0;
    std::string sectionName_;
    std::uint32_t traitsCodePage_ = 0;
    bool haveTraits_ = false;
    CodePageTraits traits_;
};

// The value escapes of a language file, each applied over the whole value in this order:
// "\n", "\r", "\t", "\x" with two hexadecimal digits, and " :" (the space becomes the code
// page's no-break space). No escape starts on the second byte of a double-byte character
// of codePage.
std::string ApplyValueEscapes(std::string_view value, const CodePageTraits& codePage);
std::string ApplyValueEscapes(std::string_view value, std::uint32_t codePage);
