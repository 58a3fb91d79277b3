#include "lib/LangStrings/SectionScan.h"

#include "lib/LangStrings/StoreLayout.h"

namespace {

[[noreturn]] void Overflow() {
    FENNEL_THROW(SectionScan::memory_overflow, "SectionScan::Eof()",
                 "Section data did not fit in shared memory.");
}

} // namespace

void SectionScan::Eof() {
    const std::uint64_t tableEnd =
        store::kHeaderSize + static_cast<std::uint64_t>(names_.size()) * store::kEntrySize;
    if (tableEnd > size_) Overflow();
    cursor_ = static_cast<std::size_t>(tableEnd);
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const std::string& name = names_[i];
        if (name.size() + 1 > size_ - cursor_) Overflow();
        unsigned char* entry = view_ + store::kHeaderSize + i * store::kEntrySize;
        store::Write32(entry + store::kEntryNameOffset, static_cast<std::uint32_t>(cursor_));
        store::Write32(entry + store::kEntryFirstRecordOffset, 0);
        std::memcpy(view_ + cursor_, name.data(), name.size());
        view_[cursor_ + name.size()] = 0;
        cursor_ += name.size() + 1;
    }
    store::Write32(view_ + store::kSectionCountOffset, static_cast<std::uint32_t>(names_.size()));
}
