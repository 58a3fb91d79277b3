#include "recorder/Crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Long texts and pieces take the processor's folding path where it has one.
TEST(Crc32Test, MatchesKnownValuesWholeAndInUnevenPieces) {
    std::string fox = "The quick brown fox jumps over the lazy dog", foxes;
    for (int i = 0; i < 40; ++i) foxes += fox;
    const struct {
        std::string text;
        std::uint32_t crc;
    } cases[] = {{"123456789", 0xCBF43926u}, {fox, 0x414FA339u}, {"", 0u}, {foxes, 0xE8A8C119u}};
    for (const auto& c : cases)
        for (std::size_t split : {0, 1, 3, 8, 9, 17, 64, 100, 1655}) {
            Crc32 crc;
            std::size_t first = std::min(split, c.text.size());
            crc.Update(c.text.data(), first);
            crc.Update(c.text.data() + first, c.text.size() - first);
            EXPECT_EQ(crc.Value(), c.crc) << c.text << " split at " << split;
        }
}

} // namespace
