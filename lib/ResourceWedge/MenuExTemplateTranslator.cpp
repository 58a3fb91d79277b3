#include "lib/ResourceWedge/MenuExTemplateTranslator.h"

namespace {
constexpr std::size_t kFixedBytes = 12;  // type, state, id
constexpr std::uint16_t kPopup = 0x01;
constexpr std::uint16_t kEnd = 0x80;
} // namespace

void MenuExTemplateTranslator::ReadItems() {
    while (!AllListsClosed()) {
        CopyBytes(kFixedBytes);
        const std::uint16_t flags = CopyWord();
        TranslateTextField();
        AlignInput();
        PadOutput();
        if (flags & kPopup) {
            CopyBytes(4); // help id
            OpenList((flags & kEnd) != 0);
        } else if (flags & kEnd) {
            CloseList();
        }
    }
}
