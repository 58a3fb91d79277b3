#pragma once
// Helpers of the localisation tests: a scanner that records events as text, language files
// made from text, and stores filled from text or from a shipped file.
#include "lib/LangStrings/LangFile/LanguageFile.h"
#include "lib/LangStrings/LangStrings.h"
#include "lib/LangStrings/LanguageStore.h"

#include <fstream>
#include <sstream>

namespace langtest {

class RecordingScanner : public LanguageScanner {
public:
    void Tag(std::string_view k, std::string_view v) override { events.push_back("Tag(" + std::string(k) + "=" + std::string(v) + ")"); }
    void Section(std::string_view name) override { events.push_back("[" + std::string(name) + "]"); }
    void String(std::string_view k, std::string_view v) override { events.push_back(std::string(k) + "=" + std::string(v)); }
    void EndSection() override { events.push_back("End"); }
    void Eof() override { events.push_back("Eof"); }

    std::vector<std::string> events;
};

inline LanguageFile FileFromText(const std::string& text, const std::string& name = "FN1033.lng") {
    return LanguageFile(name, std::make_unique<std::istringstream>(text));
}

// A store filled from text, in bytes of exactly its size (the sanitizers see any access beyond).
struct FilledStore { std::unique_ptr<unsigned char[]> bytes; std::size_t size = 0; std::shared_ptr<LanguageStore> store; };

inline FilledStore FillFromText(const std::string& text, std::uint16_t language = 0x0409, std::uint32_t codePage = 1252,
                                const std::string& name = "FN1033.lng") {
    FilledStore filled;
    filled.size = 2 * text.size() + 12;
    filled.bytes = std::make_unique<unsigned char[]>(filled.size); // zeroed
    LanguageFile file = FileFromText(text, name);
    FillLanguageStore(filled.bytes.get(), filled.size, language, codePage, file);
    filled.store = std::make_shared<LanguageStore>(filled.bytes.get(), filled.size, name);
    return filled;
}

// A shipped file, filled with code page 1252 unless the file's tag names another.
inline FilledStore Shipped(const std::string& name) {
    std::ifstream in(FENNEL_SOURCE_DIR "/lang/" + name, std::ios::binary); // Wine: on the current drive, Z:
    return FillFromText(std::string(std::istreambuf_iterator<char>(in), {}), LanguageFromFileName(name), 1252, name);
}

} // namespace langtest
