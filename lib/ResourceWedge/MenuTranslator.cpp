#include "lib/ResourceWedge/MenuTranslator.h"

std::uint16_t MenuTranslator::Version(const void* input, std::size_t size) {
    if (!input || size < 2) return 0xFFFF;
    const auto* bytes = static_cast<const std::uint8_t*>(input);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

void MenuTranslator::CopyHeader() {
    const std::uint16_t offset = WordAt(2);
    CopyBytes(4 + static_cast<std::size_t>(offset));
}

void MenuTranslator::CloseList() {
    bool parentEnds = true;
    while (parentEnds && !openLists_.empty()) {
        parentEnds = openLists_.back();
        openLists_.pop_back();
    }
}
