// The names, types and signs of the values are read back by every process test; here what
// they cannot see: clearing takes the track values with everything below them, and only them.
#include "app/RegistryResults.h"

#include "common/HostKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testsupport;
using Names = std::vector<std::string>;

TEST(RegistryResultsTest, ClearingDeletesTrackResultsWithEverythingBelowItOnly) {
    const std::string base = "Software\\FennelTest-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(DeleteKeyTree(base));
    RegistryResults results(base);
    results.SetBurnResults(BurnResult::Started);
    results.SetTrackResult(1, TrackResult::Recorded);
    // Subkeys that another writer put there, nested three levels deep.
    ASSERT_TRUE(WriteDword(base + "\\TrackResults\\a\\b\\c", "deep", 1));
    ASSERT_TRUE(WriteDword(base + "\\TrackResults\\a", "mid", 1));
    ASSERT_TRUE(CreateKey(base + "\\TrackResults\\z"));
    results.ClearTrackResults();
    EXPECT_EQ(Names{}, SubkeyNames(base));
    EXPECT_NO_THROW(results.ClearTrackResults()) << "nothing left to clear";
    EXPECT_EQ((Names{"BurnResults"}), ValueNames(base));
    EXPECT_EQ(static_cast<DWORD>(-3), ReadDword(base, "BurnResults"));
    DeleteKeyTree(base);
}

} // namespace
