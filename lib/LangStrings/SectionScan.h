#pragma once
// SectionScan: the first-pass scanner of a store fill. Collects the section names and, at
// the end of the file, lays out the section table and the names in the store, leaving the
// write cursor just after the last name. Runs under the store's Mutex on the filling thread.
#include "lib/LangStrings/LangFile/LanguageScanner.h"
#include "support/ContextException.h"

#include <cstddef>
#include <string>
#include <vector>

class SectionScan : public LanguageScanner {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(memory_overflow, base_exception);

    // view and size describe the whole store; cursor is the shared write offset.
    SectionScan(unsigned char* view, std::size_t size, std::size_t& cursor)
        : view_(view), size_(size), cursor_(cursor) {}

    void Tag(std::string_view, std::string_view) override {}
    void Section(std::string_view name) override { names_.emplace_back(name); }
    void String(std::string_view, std::string_view) override {}
    void EndSection() override {}
    // Writes the table and the names. Throws memory_overflow when they do not fit.
    void Eof() override;

private:
    unsigned char* view_;
    std::size_t size_;
    std::size_t& cursor_;
    std::vector<std::string> names_;
};
