// Fuzzes the store reader: the input is the mapped view of a store that another process
// wrote (damaged or half filled). Every section is loaded, every key it holds is looked up
// and a text with its keys is translated; nothing may be read outside the view.
#include "lib/LangStrings/LangSectionSet.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto bytes = std::make_unique<unsigned char[]>(size);
    if (size != 0) std::memcpy(bytes.get(), data, size);
    auto store = std::make_shared<LanguageStore>(bytes.get(), size);
    LangSectionSet set(store);
    const StoreReader reader = store->Reader();
    std::string text;
    for (std::size_t i = 0; i < reader.SectionCount() && i < 16; ++i) {
        const auto section = reader.SectionAt(i);
        if (!section) continue;
        try {
            set.AddSection(section->name);
        } catch (const std::exception&) {
            continue;
        }
        reader.ForEachRecord(*section, [&](std::string_view key, std::string_view) {
            if (text.size() < 4096) text += "{" + std::string(key) + "} ";
        });
    }
    bool changed = false;
    const std::string translated = set.Translate(text, changed);
    (void)set.Lookup(translated.substr(0, 64));
    return 0;
}
