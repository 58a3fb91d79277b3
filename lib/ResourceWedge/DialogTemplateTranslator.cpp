#include "lib/ResourceWedge/DialogTemplateTranslator.h"

namespace {
constexpr std::size_t kHeaderBytes = 18;   // style, extended style, count, x, y, cx, cy
constexpr std::size_t kItemBytes = 18;     // style, extended style, x, y, cx, cy, id
constexpr std::size_t kStyleOffset = 0;
constexpr std::size_t kCountOffset = 8;
} // namespace

void DialogTemplateTranslator::Translate() {
    const std::uint32_t style = DwordAt(kStyleOffset);
    const std::uint16_t count = WordAt(kCountOffset);
    CopyBytes(kHeaderBytes);
    CopyNameOrOrdinal();      // menu
    CopyNameOrOrdinal();      // window class
    TranslateNameOrOrdinal(); // title
    if (style & kSetFontStyle) TranslateFont(false);
    for (std::uint16_t i = 0; i < count; ++i) {
        PadOutput();
        AlignInput();
        CopyBytes(kItemBytes);
        CopyNameOrOrdinal();      // class
        TranslateNameOrOrdinal(); // title
        CopyCreationData();
    }
}
