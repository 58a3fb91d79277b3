#include "lib/ResourceWedge/MenuTemplateTranslator.h"

namespace {
constexpr std::uint16_t kPopup = 0x10; // MF_POPUP
constexpr std::uint16_t kEnd = 0x80;   // MF_END
} // namespace

void MenuTemplateTranslator::ReadItems() {
    while (!AllListsClosed()) {
        const std::uint16_t flags = CopyWord();
        const bool popup = (flags & kPopup) != 0;
        if (!popup) CopyWord(); // command id
        TranslateTextField();
        if (popup) {
            OpenList((flags & kEnd) != 0);
        } else if (flags & kEnd) {
            CloseList();
        }
    }
}
