// Fuzzes a language file through both passes into a store of the size a file of that many
// bytes gets (allocated exactly, so any write beyond it is caught), then loads every
// section and looks up and translates keys taken from the input. The first byte chooses
// the file's name (its language digits decide which code-page tags it may hold) and the
// code page of the strings (single- or double-byte).
#include "lib/LangStrings/LangFile/LanguageFile.h"
#include "lib/LangStrings/LangFile/ResourceTranslation.h"
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/LangStrings/LangStrings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kNames[] = {"FN1033.lng", "FN1041.lng", "FN1036.lng", "lang.lng"};
    const std::string name = kNames[data[0] & 3];
    const std::uint32_t codePage = (data[0] & 4) ? 932 : 1252;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::size_t storeSize = 2 * text.size() + 12;
    auto bytes = std::make_unique<unsigned char[]>(storeSize);
    try {
        LanguageFile file(name, std::make_unique<std::istringstream>(text));
        FillLanguageStore(bytes.get(), storeSize, LanguageFromFileName(name), codePage, file);
    } catch (const std::exception&) {
        // a failed fill leaves what it wrote; the reads below must cope with it
    }

    auto store = std::make_shared<LanguageStore>(bytes.get(), storeSize, name);
    LangSectionSet set(store);
    const StoreReader reader = store->Reader();
    for (std::size_t i = 0; i < reader.SectionCount() && i < 16; ++i) {
        if (auto section = reader.SectionAt(i)) {
            try {
                set.AddSection(section->name);
            } catch (const std::exception&) {
            }
        }
    }
    std::istringstream lines(text);
    std::string line;
    for (int n = 0; n < 64 && std::getline(lines, line); ++n) {
        const std::string key = line.substr(0, line.find('='));
        (void)set.Lookup(key);
        bool changed = false;
        (void)set.Translate(line, changed);
        (void)set.Translate("{" + key + "}", changed);
    }
    std::vector<unsigned char> out;
    (void)TranslateAcceleratorTable(data, size, set, out);
    (void)TranslateDialogInitData(data, size, set, out);
    return 0;
}
