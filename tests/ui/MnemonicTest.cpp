// Keyboard use in every language: the controls that share a window never share an access
// key, and the labels of the drive and speed lists have one.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The text of a key in a language file (the files write "KEY = text"); "" when it is missing.
std::string Text(const std::string& file, const std::string& key) {
    const std::size_t start = file.find("\n" + key + " = ");
    if (start == std::string::npos) return "";
    const std::size_t value = start + key.size() + 4;
    return file.substr(value, file.find_first_of("\r\n", value) - value);
}

// The access key of a text: the character after a single '&', upper-cased; 0 for none.
char AccessKey(const std::string& text) {
    for (std::size_t i = text.find('&'); i != std::string::npos && i + 1 < text.size(); i = text.find('&', i + 2)) {
        if (text[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

TEST(MnemonicTest, EveryLanguageGivesEachWindowDistinctAccessKeys) {
    const std::vector<std::vector<std::string>> windows = {
        {"IDS_BUTTON_RECORD", "IDS_BUTTON_OPTIONS", "IDS_BUTTON_CANCEL"},
        {"IDS_BUTTON_RECORD", "IDS_BUTTON_OPTIONS", "IDS_BUTTON_CLOSE"},
        {"IDS_TEXT_BURNING_DEVICE", "IDS_TEXT_BURN_SPEED", "IDS_BUTTON_OK", "IDS_BUTTON_CANCEL"},
    };
    for (const char* language : {"1031", "1033", "1034", "1036", "1041"}) {
        std::ifstream in(std::string(FENNEL_SOURCE_DIR) + "/lang/FN" + language + ".lng", std::ios::binary);
        const std::string file(std::istreambuf_iterator<char>(in), {});
        ASSERT_FALSE(file.empty()) << language;
        for (const auto& keys : windows) {
            std::set<char> used;
            for (const std::string& key : keys) {
                const char access = AccessKey(Text(file, key));
                EXPECT_TRUE(!access || used.insert(access).second) << language << " " << key << " repeats " << access;
            }
        }
        for (const char* label : {"IDS_TEXT_BURNING_DEVICE", "IDS_TEXT_BURN_SPEED", "IDS_BUTTON_RECORD"}) {
            EXPECT_NE(0, AccessKey(Text(file, label))) << language << " " << label;
        }
    }
}

} // namespace
