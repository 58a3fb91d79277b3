// Lookup and translation order, reading stores that are half filled or damaged, and
// accelerator tables and dialog initialisation data translated through a language.
#include "LangTestSupport.h"
#include "lib/LangStrings/LangFile/ResourceTranslation.h"
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/LangStrings/StoreLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

namespace {

const char kFile[] = "[Main]\nIDS_A = Main A\nIDS_DUP = first\nIDS_DUP = second\nIDS_LOOP = {IDS_B}\n"
                     "[Shared]\nIDS_A = Shared A\nIDS_B = Shared B with a longer text\nIDS_EMPTY =\n"
                     "IDS_FMT = %lu%%\\t\nIDS_ITEM = Article\n<ACCEL VIRTKEY CONTROL N> = <ACCEL VIRTKEY CONTROL O>\n"
                     "<ACCEL VIRTKEY F5> = <ACCEL SHIFT F6>\nACCEL_VIRTKEY_0x70 = <CODEPAGE 1252>\n";

struct LookupTest : ::testing::Test {
    LookupTest() : filled_(langtest::FillFromText(kFile)), set_(filled_.store) { set_.AddSection("Main"), set_.AddSection("shared"); }
    langtest::FilledStore filled_;
    LangSectionSet set_;
};

TEST_F(LookupTest, SectionsAnswerInListOrderWithoutRegardToCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"IDS_A", "Main A"}, {"{IDS_B}", "Shared B with a longer text"}, {" {IDS_DUP} ", "first"}, {"{{IDS_A}}", "(none)"},
        {"ids_a", "(none)"}, {"IDS_EMPTY", "(none)"},                     {"IDS_FMT", "%lu%%\t"}};
    for (const auto& [key, text] : cases) EXPECT_EQ(text, set_.Lookup(key).value_or("(none)")) << key;
    EXPECT_EQ("Shared A", set_.GetSection("SHARED")->Lookup("IDS_A").value_or("(none)")); // without regard to case
    EXPECT_THROW(set_.AddSection("Missing"), LangStrings::section_not_found);
}

TEST_F(LookupTest, TranslationReplacesEveryKnownKeyInBraces) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"{IDS_A}{IDS_B}", "Main AShared B with a longer text", true},
        {"{IDS_A", "{IDS_A", false},
        {"{ IDS_A }", "Main A", true},
        {"{IDS_EMPTY} {IDS_UNKNOWN}", "{IDS_EMPTY} {IDS_UNKNOWN}", false},
        {"{x{IDS_A}", "{x{IDS_A}", false},
        {"{{IDS_A}}", "Main A}", true},
    };
    for (const auto& [text, expected, changed] : cases) {
        bool didChange = !changed;
        EXPECT_EQ(expected, set_.Translate(text, didChange)) << text;
        EXPECT_EQ(changed, didChange) << text;
    }
    // A text inserted by one section is passed on to the next, so it is translated there.
    EXPECT_EQ("Shared B with a longer text", set_.Translate("{IDS_LOOP}"));
    bool changed = false;
    EXPECT_EQ("{IDS_B}", set_.GetSection("Main")->Translate("{IDS_LOOP}", changed));
}

// A translation that would pass the limit leaves the text as given; other texts of the same
// sections translate as usual, up to a result of exactly the limit.
TEST(TranslationLimitTest, SelfExpandingSectionsLeaveTheTextAsGiven) {
    const std::string twice = "{IDS_GROW}{IDS_GROW}";
    std::string wide;
    for (int i = 0; i < 6000; ++i) wide += "{IDS_GROW}";
    const std::string longest(LangSection::kMaxTranslationLength, 'x');
    const std::tuple<int, std::string, std::string> cases[] = {
        {2, twice, twice + twice}, {2, wide, "{IDS_GROW}"}, {16, twice, "{IDS_GROW}"}};
    for (const auto& [sections, value, expected] : cases) {
        std::string file = "[S0]\nIDS_LONGEST = " + longest + "\n";
        for (int i = 0; i < sections; ++i) {
            file += (i ? "[S" + std::to_string(i) + "]\n" : "") + "IDS_OK = OK\nIDS_GROW = " + value + "\n";
        }
        const langtest::FilledStore filled = langtest::FillFromText(file);
        LangSectionSet set(filled.store);
        for (int i = 0; i < sections; ++i) set.AddSection("S" + std::to_string(i));
        bool changed = false;
        const std::string grown = set.Translate("{IDS_GROW}", changed);
        EXPECT_EQ(expected, grown) << sections;
        EXPECT_EQ(grown != "{IDS_GROW}", changed) << sections;
        EXPECT_EQ("OK {IDS_NONE}", set.Translate("{IDS_OK} {IDS_NONE}")) << sections;
        EXPECT_TRUE(set.Translate("{IDS_LONGEST}") == longest) << sections;
        EXPECT_EQ("{IDS_LONGEST}{IDS_OK}", set.Translate("{IDS_LONGEST}{IDS_OK}")) << sections;
    }
}

// Every prefix of a filled store, and damaged offsets, answer missing keys, never reads outside.
TEST(StoreReaderTest, DamagedStoresYieldMissingKeys) {
    const langtest::FilledStore filled = langtest::FillFromText(kFile);
    const std::string b = "Shared B with a longer text";
    const std::size_t zeroAt = std::search(filled.bytes.get(), filled.bytes.get() + filled.size, b.begin(), b.end()) -
                               filled.bytes.get() + b.size(); // IDS_B reads once its zero is in the view
    for (std::size_t size = 0; size <= filled.size; ++size) {
        auto bytes = std::make_unique<unsigned char[]>(size + 1);
        std::memcpy(bytes.get(), filled.bytes.get(), size);
        auto store = std::make_shared<LanguageStore>(bytes.get(), size);
        LangSectionSet set(store);
        for (const char* name : {"Main", "Shared"}) {
            try { set.AddSection(name); } catch (const LangStrings::section_not_found&) {} // not yet in this prefix
        }
        const auto text = set.Lookup("IDS_B");
        EXPECT_EQ(size > zeroAt, text.has_value()) << size;
        EXPECT_TRUE(!text || *text == b) << size;
    }
    // A section count beyond the view: only the entries wholly after the header count.
    std::vector<unsigned char> header(filled.bytes.get(), filled.bytes.get() + store::kHeaderSize + 3 * store::kEntrySize - 1);
    store::Write32(header.data() + store::kSectionCountOffset, 0xFFFFFFFF);
    EXPECT_EQ(2u, LanguageStore(header.data(), header.size()).Reader().SectionCount());

    // Damaged fields: a section then holds at most the records the store holds, none when
    // its first key's length runs past the view.
    const auto main = filled.store->Reader().FindSection("MAIN");
    ASSERT_TRUE(main);
    const std::tuple<std::size_t, std::uint32_t, int, std::size_t> damages[] = { // offset, value, bytes, most records
        {store::kSectionCountOffset, 0xFFFFFFFF, 4, 12},
        {store::kHeaderSize + store::kEntryCountOffset, 0x7FFFFFFF, 4, 12},
        {store::kHeaderSize + store::kEntryFirstRecordOffset, static_cast<std::uint32_t>(filled.size - 3), 4, 12},
        {main->firstRecord, 0xFFFF, 2, 0}};
    for (const auto& [offset, value, width, most] : damages) {
        std::vector<unsigned char> bytes(filled.bytes.get(), filled.bytes.get() + filled.size);
        if (width == 4) store::Write32(bytes.data() + offset, value);
        if (width == 2) store::Write16(bytes.data() + offset, static_cast<std::uint16_t>(value));
        try { EXPECT_LE(LangSection(std::make_shared<LanguageStore>(bytes.data(), bytes.size()), "Main").Size(), most) << offset; }
        catch (const LangStrings::section_not_found&) {}
    }
}

using Bytes = std::vector<unsigned char>;

Bytes Accel(std::initializer_list<std::array<unsigned, 3>> entries) {
    Bytes bytes;
    for (const auto& [flags, key, command] : entries)
        for (unsigned v : {flags, key, command, 0u})
            for (int shift : {0, 8}) bytes.push_back(static_cast<unsigned char>(v >> shift));
    return bytes;
}

TEST_F(LookupTest, AcceleratorEntriesTakeTheLanguagesKeys) {
    struct Case { const char* name; Bytes resource; ResourceTranslation result; Bytes table; };
    const Case cases[] = {
        {"entries with and without a language key, end bit and no-invert kept",
         Accel({{0x0B, 'N', 101}, {0x01, 0x70, 102}, {0x81, 0x74, 103}}), ResourceTranslation::kTranslated,
         Accel({{0x0B, 'O', 101}, {0x01, 0x70, 102}, {0x84, 0x75, 103}})},
        {"nothing to translate", Accel({{0x01, 'Q', 1}, {0x80, 'R', 2}}), ResourceTranslation::kUnchanged, {}},
        {"entries after the last one are not read", Accel({{0x89, 'N', 7}, {0x09, 'N', 8}}),
         ResourceTranslation::kTranslated, Accel({{0x89, 'O', 7}})},
        {"a table without end bit stops at its size", Accel({{0x09, 'N', 9}}), ResourceTranslation::kTranslated,
         Accel({{0x09, 'O', 9}})},
    };
    for (const Case& c : cases) {
        Bytes table;
        Bytes resource = c.resource;
        resource.push_back(0xEE); // a partial entry beyond the table is never read
        EXPECT_EQ(c.result, TranslateAcceleratorTable(resource.data(), c.resource.size(), set_, table)) << c.name;
        EXPECT_EQ(c.table, table) << c.name;
    }
    Bytes table;
    EXPECT_EQ(ResourceTranslation::kNotActive, TranslateAcceleratorTable(nullptr, 8, set_, table));
}

TEST_F(LookupTest, DialogInitDataTextsAreTranslated) {
    auto entry = [](unsigned id, unsigned message, const std::string& data) { // length 32 bits, data
        Bytes b = {static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8), static_cast<unsigned char>(message),
                   static_cast<unsigned char>(message >> 8), static_cast<unsigned char>(data.size()), 0, 0, 0};
        return b.insert(b.end(), data.begin(), data.end()), b;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const Bytes resource = join({entry(1001, 0x0143, std::string("{IDS_ITEM} 1\0pad", 16)),
                                 entry(1001, 0x0143, std::string("plain\0", 6)), {0, 0}});
    Bytes result;
    ASSERT_EQ(ResourceTranslation::kTranslated, TranslateDialogInitData(resource.data(), resource.size(), set_, result));
    EXPECT_EQ(join({entry(1001, 0x0143, std::string("Article 1\0", 10)),
                    entry(1001, 0x0143, std::string("plain\0", 6)), {0, 0}}),
              result);

    // A length one past the data ends the walk without reading beyond it.
    Bytes damaged = entry(7, 1, "{IDS_ITEM}");
    damaged[4] = 11;
    EXPECT_EQ(ResourceTranslation::kUnchanged, TranslateDialogInitData(damaged.data(), damaged.size(), set_, result));
    EXPECT_EQ(ResourceTranslation::kNotActive, TranslateDialogInitData(nullptr, 0, set_, result));
}

} // namespace
