#include "lib/ResourceWedge/DialogTemplateExTranslator.h"

namespace {
// version, signature, help id, extended style, style, count, x, y, cx, cy
constexpr std::size_t kHeaderBytes = 26;
// help id, extended style, style, x, y, cx, cy, 32-bit id
constexpr std::size_t kItemBytes = 24;
constexpr std::size_t kStyleOffset = 12;
constexpr std::size_t kCountOffset = 16;
} // namespace

void DialogTemplateExTranslator::Translate() {
    const std::uint32_t style = DwordAt(kStyleOffset);
    const std::uint16_t count = WordAt(kCountOffset);
    CopyBytes(kHeaderBytes);
    CopyNameOrOrdinal();      // menu
    CopyNameOrOrdinal();      // window class
    TranslateNameOrOrdinal(); // title
    if (style & kSetFontStyle) TranslateFont(true);
    for (std::uint16_t i = 0; i < count; ++i) {
        PadOutput();
        AlignInput();
        CopyBytes(kItemBytes);
        CopyNameOrOrdinal();      // class
        TranslateNameOrOrdinal(); // title
        CopyCreationData();
    }
}
