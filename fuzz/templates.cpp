// Feeds arbitrary bytes to the dialog, menu and string-table translators. The first byte
// picks the translator; the rest is the resource, held in a block of exactly its size so
// that any read outside it is caught. Keys in braces change length when translated, so
// the alignment of the new templates differs from the input's.
#include "lib/ResourceWedge/TemplateTranslation.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class FuzzTranslator : public TextTranslator {
public:
    bool Translate(const std::u16string& text, std::u16string& result) override {
        result.clear();
        bool changed = false;
        for (char16_t c : text) {
            if (c == u'{') {
                result += u"[x]";
                changed = true;
            } else if (c != u'}') {
                result.push_back(c);
            }
        }
        return changed;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t which = data[0] % 3;
    const std::size_t length = size - 1;
    auto block = std::make_unique<std::uint8_t[]>(length ? length : 1);
    if (length) std::memcpy(block.get(), data + 1, length);

    FuzzTranslator texts;
    static const DialogFont font{u"Tahoma", 8};
    auto translate = [&](const void* resource, std::size_t bytes, std::vector<std::uint8_t>* copy) {
        switch (which) {
        case 0: return TranslateDialogTemplate(resource, bytes, texts, font, copy);
        case 1: return TranslateMenuTemplate(resource, bytes, texts, copy);
        default: return TranslateStringBlock(resource, bytes, texts, copy);
        }
    };
    std::vector<std::uint8_t> copy;
    if (translate(block.get(), length, &copy) != TranslateAnswer::translated) return 0;
    // Every copy translates again to "unchanged": a refusal would mean a damaged copy,
    // "translated" a key or a font that survived the first pass. Copies longer than the
    // translators read (a string longer than 64 KiB) are left out.
    if (copy.size() <= 65536) {
        std::vector<std::uint8_t> again;
        if (translate(copy.data(), copy.size(), &again) != TranslateAnswer::unchanged) __builtin_trap();
    }
    return 0;
}
