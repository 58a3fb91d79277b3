#pragma once
// StoreReader: bounded reading of a shared string store that another process may have
// written, half filled or damaged. Every offset and length is checked against the view's
// size before it is used: what does not lie wholly inside the view is treated as absent,
// so a damaged store yields missing sections and keys, never a read outside the view.
// Reading only; any thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class StoreReader {
public:
    struct Section {
        std::string_view name;      // zero-terminated inside the view
        std::uint32_t recordCount;  // as stored; records are still checked one by one
        std::uint32_t firstRecord;  // offset of the first record
    };

    StoreReader(const unsigned char* view, std::size_t size) : view_(view), size_(size) {}

    std::uint16_t Language() const;
    std::uint32_t CodePage() const;
    // Number of table entries that lie wholly inside the view (at most the stored count).
    std::size_t SectionCount() const;
    std::optional<Section> SectionAt(std::size_t index) const;
    // The first entry whose name equals name in upper case.
    std::optional<Section> FindSection(std::string_view name) const;
    // Calls visit(key, value) for each whole record of the section, in order; stops at
    // the first record that does not lie wholly inside the view. Keys and values are
    // zero-terminated inside the view.
    void ForEachRecord(const Section& section,
                       const std::function<void(std::string_view, std::string_view)>& visit) const;

private:
    std::optional<std::string_view> TextAt(std::size_t offset, std::size_t length) const;

    const unsigned char* view_;
    std::size_t size_;
};

// Upper-cases ASCII letters; other bytes stay.
bool EqualsUpperCase(std::string_view a, std::string_view b);
