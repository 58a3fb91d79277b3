// Store overflow and the value escapes (double-byte code pages included).
#include "LangTestSupport.h"
#include "lib/LangStrings/FileScan.h"
#include "lib/LangStrings/LangSection.h"
#include "lib/LangStrings/SectionScan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(StoreFillTest, ValueEscapesRespectDoubleByteCharacters) {
    struct Case { const char* written; std::uint32_t codePage; std::string stored; };
    const Case cases[] = {
        {"\\\\n", 1252, "\\\n"},
        {"a\\rb\\tc", 1252, "a\rb\tc"},
        {"\\x41\\x6a\\x4", 1252, "Aj\\x4"},
        {"a\\x41", 1252, "aA"},                 // an escape at the very end
        {"\\xZ1 \\x", 1252, "\\xZ1 \\x"},
        {"\\x5Cn", 1252, "\\n"},                 // escapes do not chain backwards
        {"\\x00end", 1252, std::string("\0end", 4)},
        {"Nom :", 1251, "Nom\xA0:"},
        {"Nom :", 932, "Nom :"},                 // code page 932 has no no-break space
        {"\x95\\n", 932, "\x95\\n"},             // 0x5C is the second byte of a character
        {"\x95\\n", 1252, "\x95\n"},
        {"\x82\xA0\\n", 932, "\x82\xA0\n"},
        {"\x81", 932, "\x81"},                   // a lead byte at the end stays
    };
    for (const Case& c : cases) EXPECT_EQ(c.stored, ApplyValueEscapes(c.written, c.codePage)) << c.written << " " << c.codePage;
}

// A store in a buffer with guard bytes after its end.
struct GuardedStore {
    explicit GuardedStore(std::size_t storeSize) : size(storeSize), bytes(storeSize + 64, 0xA5) { std::fill_n(bytes.begin(), size, 0); }
    bool GuardIntact() const { return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(size), bytes.end(), [](unsigned char c) { return c == 0xA5; }); }
    std::size_t size; Bytes bytes;
};

TEST(StoreFillTest, OverflowsStopBeforeTheEndOfTheStore) {
    struct Case { const char* name; std::string text; std::size_t size; const char* expected; }; // size 0: a file's own
    const Case cases[] = {
        {"table larger than the store", "[S]\n[T]\n", 30, "Section data did not fit in shared memory."},
        {"section name one byte short of its zero", "[S]\n", 12 + 12 + 1, "Section data did not fit in shared memory."},
        {"cursor at the end", "[S]\nK=v\n", 26, "No more shared memory available."},
        {"key part too long", "[S]\nKEY=v\n", 30, "String will not fit in shared memory."},
        {"value part too long", "[S]\nK=value\n", 32, "String will not fit in shared memory."},
        {"key too long for its length field", "[S]\n" + std::string(70000, 'k') + "=v\n", 0, "String will not fit in shared memory."},
        {"exact fit", "[S]\nK=v\n", 12 + 12 + 2 + 8, nullptr},
        {"key one byte short of its zero", "[S]\nK=v\n", 12 + 12 + 2 + 3, "String will not fit in shared memory."},
        {"longest value", "[S]\nK=" + std::string(65535, 'v') + "\n", 0, nullptr},
        {"value one past the longest", "[S]\nK=" + std::string(65536, 'v') + "\n", 0, "String will not fit in shared memory."},
    };
    for (const Case& c : cases) {
        GuardedStore store(c.size ? c.size : 2 * c.text.size() + 12);
        LanguageFile file = langtest::FileFromText(c.text);
        try {
            FillLanguageStore(store.bytes.data(), store.size, 0x0409, 1252, file);
            EXPECT_EQ(nullptr, c.expected) << c.name;
        } catch (const ContextException& e) { EXPECT_STREQ(c.expected ? c.expected : "(none)", e.Context()) << c.name; }
        EXPECT_TRUE(store.GuardIntact()) << c.name;
    }
}

TEST(StoreFillTest, SecondPassNeverAddressesSectionsBeyondTheFirst) {
    GuardedStore store(200);
    std::size_t cursor = 12;
    SectionScan sections(store.bytes.data(), store.size, cursor);
    sections.Section("One");
    sections.Eof();
    FileScan strings(store.bytes.data(), store.size, cursor, "FN1033.lng");
    const std::tuple<const char*, const char*, const char*> scanned[] = {{"One", "A", "1"}, {"Two", "B", "2"}};
    for (const auto& [name, key, value] : scanned) { // "Two": a file changed between the passes
        strings.Section(name);
        strings.String(key, value);
        strings.EndSection();
    }
    // Where a second table entry would lie, the name and the first record stay intact.
    auto view = std::make_shared<LanguageStore>(store.bytes.data(), store.size);
    EXPECT_EQ(1u, view->Reader().SectionCount());
    EXPECT_EQ("1", LangSection(view, "One").Lookup("A").value_or("(none)"));
    EXPECT_TRUE(store.GuardIntact());
}

} // namespace
