// Keyboard use in every language: the controls that share a window never share an access
// key, and the labels of the drive and speed lists have one.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The IDS_ lines of a language file: key = text, blanks around '=' and the line end dropped.
std::map<std::string, std::string> Texts(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::map<std::string, std::string> texts;
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        if (line.rfind("IDS_", 0) != 0 || equals == std::string::npos) continue;
        const std::size_t value = line.find_first_not_of(' ', equals + 1);
        texts[line.substr(0, line.find_last_not_of(' ', equals - 1) + 1)] =
            value == std::string::npos ? "" : line.substr(value, line.find_last_not_of('\r') + 1 - value);
    }
    return texts;
}

// The access key of a text: the character after a single '&', upper-cased; 0 for none.
char AccessKey(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
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
        const auto texts = Texts(std::string(FENNEL_SOURCE_DIR) + "/lang/FN" + language + ".lng");
        ASSERT_FALSE(texts.empty()) << language;
        for (const auto& keys : windows) {
            std::set<char> used;
            for (const std::string& key : keys) {
                const char access = AccessKey(texts.at(key));
                if (access) {
                    EXPECT_TRUE(used.insert(access).second) << language << " " << key << " repeats " << access;
                }
            }
        }
        for (const char* label : {"IDS_TEXT_BURNING_DEVICE", "IDS_TEXT_BURN_SPEED", "IDS_BUTTON_RECORD"}) {
            EXPECT_NE(0, AccessKey(texts.at(label))) << language << " " << label;
        }
    }
}

} // namespace
