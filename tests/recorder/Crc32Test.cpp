#include "recorder/Crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Crc32Test, MatchesKnownValuesWholeAndInUnevenPieces) {
    const struct {
        std::string text;
        std::uint32_t crc;
    } cases[] = {{"123456789", 0xCBF43926u}, {"The quick brown fox jumps over the lazy dog", 0x414FA339u}, {"", 0u}};
    for (const auto& c : cases)
        for (std::size_t split : {0, 1, 3, 8, 9, 17}) {
            Crc32 crc;
            std::size_t first = std::min(split, c.text.size());
            crc.Update(c.text.data(), first);
            crc.Update(c.text.data() + first, c.text.size() - first);
            EXPECT_EQ(crc.Value(), c.crc) << c.text << " split at " << split;
        }
}

} // namespace
