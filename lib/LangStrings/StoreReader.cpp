#include "lib/LangStrings/StoreReader.h"

#include "lib/LangStrings/StoreLayout.h"

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

bool EqualsUpperCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

std::uint16_t StoreReader::Language() const {
    return size_ >= store::kLanguageOffset + 2 ? store::Read16(view_ + store::kLanguageOffset) : 0;
}

std::uint32_t StoreReader::CodePage() const {
    return size_ >= store::kCodePageOffset + 4 ? store::Read32(view_ + store::kCodePageOffset) : 0;
}

std::size_t StoreReader::SectionCount() const {
    if (size_ < store::kHeaderSize) return 0;
    const std::size_t stored = store::Read32(view_ + store::kSectionCountOffset);
    const std::size_t fitting = (size_ - store::kHeaderSize) / store::kEntrySize;
    return stored < fitting ? stored : fitting;
}

// A text of length bytes at offset followed by its zero byte, all inside the view.
std::optional<std::string_view> StoreReader::TextAt(std::size_t offset, std::size_t length) const {
    if (offset > size_ || length >= size_ - offset || view_[offset + length] != 0) {
        return std::nullopt;
    }
    return std::string_view(reinterpret_cast<const char*>(view_ + offset), length);
}

std::optional<StoreReader::Section> StoreReader::SectionAt(std::size_t index) const {
    if (index >= SectionCount()) return std::nullopt;
    const unsigned char* entry = view_ + store::kHeaderSize + index * store::kEntrySize;
    const std::size_t nameOffset = store::Read32(entry + store::kEntryNameOffset);
    if (nameOffset >= size_) return std::nullopt;
    const void* zero = std::memchr(view_ + nameOffset, 0, size_ - nameOffset);
    if (zero == nullptr) return std::nullopt;
    const std::size_t nameLength =
        static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - (view_ + nameOffset));
    return Section{std::string_view(reinterpret_cast<const char*>(view_ + nameOffset), nameLength),
                   store::Read32(entry + store::kEntryCountOffset),
                   store::Read32(entry + store::kEntryFirstRecordOffset)};
}

std::optional<StoreReader::Section> StoreReader::FindSection(std::string_view name) const {
    const std::size_t count = SectionCount();
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<Section> section = SectionAt(i);
        if (section && EqualsUpperCase(section->name, name)) return section;
    }
    return std::nullopt;
}

void StoreReader::ForEachRecord(
    const Section& section,
    const std::function<void(std::string_view, std::string_view)>& visit) const {
    std::size_t offset = section.firstRecord;
    for (std::uint32_t i = 0; i < section.recordCount; ++i) {
        if (offset > size_ || size_ - offset < 2) return;
        const std::size_t keyLength = store::Read16(view_ + offset);
        const std::optional<std::string_view> key = TextAt(offset + 2, keyLength);
        if (!key) return;
        offset += 2 + keyLength + 1;
        if (size_ - offset < 2) return;
        const std::size_t valueLength = store::Read16(view_ + offset);
        const std::optional<std::string_view> value = TextAt(offset + 2, valueLength);
        if (!value) return;
        offset += 2 + valueLength + 1;
        visit(*key, *value);
    }
}
