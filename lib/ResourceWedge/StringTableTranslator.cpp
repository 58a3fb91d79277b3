#include "lib/ResourceWedge/StringTableTranslator.h"

#include <algorithm>

void StringTableTranslator::Translate() {
    for (int i = 0; i < kEntries; ++i) {
        const std::uint16_t length = ReadWord();
        std::u16string text;
        text.reserve(length);
        for (std::uint16_t n = 0; n < length; ++n) text.push_back(static_cast<char16_t>(ReadWord()));
        text = TranslateOne(text);
        const std::size_t written = std::min<std::size_t>(text.size(), 0xFFFF);
        WriteWord(static_cast<std::uint16_t>(written));
        for (std::size_t n = 0; n < written; ++n) WriteWord(static_cast<std::uint16_t>(text[n]));
    }
}
