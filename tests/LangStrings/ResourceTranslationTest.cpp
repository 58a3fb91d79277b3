// Accelerator tables and dialog initialisation data translated through a language.
#include "LangTestSupport.h"
#include "lib/LangStrings/LangFile/ResourceTranslation.h"
#include "lib/LangStrings/LangSectionSet.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Accel(std::initializer_list<std::array<unsigned, 3>> entries) {
    Bytes bytes;
    for (const auto& [flags, key, command] : entries) {
        for (unsigned v : {flags, key, command, 0u}) {
            bytes.push_back(static_cast<unsigned char>(v));
            bytes.push_back(static_cast<unsigned char>(v >> 8));
        }
    }
    return bytes;
}

class ResourceTranslationTest : public ::testing::Test {
protected:
    ResourceTranslationTest()
        : filled_(langtest::FillFromText("[Shared]\n"
                                         "<ACCEL VIRTKEY CONTROL N> = <ACCEL VIRTKEY CONTROL O>\n"
                                         "<ACCEL VIRTKEY F5> = <ACCEL SHIFT F6>\n"
                                         "ACCEL_VIRTKEY_0x70 = <CODEPAGE 1252>\n"
                                         "IDS_ITEM = Article\n")),
          set_(filled_.store) {
        set_.AddSection("Shared");
    }

    langtest::FilledStore filled_;
    LangSectionSet set_;
};

TEST_F(ResourceTranslationTest, AcceleratorEntriesTakeTheLanguagesKeys) {
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

TEST_F(ResourceTranslationTest, DialogInitDataTextsAreTranslated) {
    auto entry = [](unsigned id, unsigned message, const std::string& data) {
        Bytes b = {static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8),
                   static_cast<unsigned char>(message), static_cast<unsigned char>(message >> 8)};
        const auto n = static_cast<std::uint32_t>(data.size());
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<unsigned char>(n >> s));
        b.insert(b.end(), data.begin(), data.end());
        return b;
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

    // A length that runs past the data ends the walk without reading beyond it.
    Bytes damaged = entry(7, 1, "{IDS_ITEM}");
    damaged[4] = 0xFF;
    EXPECT_EQ(ResourceTranslation::kUnchanged, TranslateDialogInitData(damaged.data(), damaged.size(), set_, result));
    EXPECT_EQ(ResourceTranslation::kNotActive, TranslateDialogInitData(nullptr, 0, set_, result));
}

} // namespace
