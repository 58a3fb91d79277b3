#include "app/RegistryResults.h"

#include "common/TestRegistry.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using Names = std::vector<std::string>;

class RegistryResultsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeleteKeyTree(base_)); }
    void TearDown() override { DeleteKeyTree(base_); }

    std::optional<DWORD> Track(const char* name) const { return ReadDword(base_ + "\\TrackResults", name); }

    const std::string base_ = "Software\\FennelTest-" + std::to_string(GetCurrentProcessId());
    RegistryResults results_{base_};
};

TEST_F(RegistryResultsTest, ValuesAreSignedDwordsAndTracksAreNamedByPositionFromOne) {
    results_.SetBurnResults(-19);
    results_.SetEngineCheckResult(2);
    results_.SetMediaTimeAvailable(4440);
    results_.SetMediaType(4);
    EXPECT_EQ((Names{"BurnResults", "EngineCheckResult", "MediaTimeAvailable", "MediaType"}), ValueNames(base_));
    EXPECT_EQ(static_cast<DWORD>(-19), ReadDword(base_, "BurnResults"));
    EXPECT_EQ(4440u, ReadDword(base_, "MediaTimeAvailable"));

    results_.SetTrackResult(1, 0);
    results_.SetTrackResult(2, -7);
    results_.SetTrackResult(10, -3);
    results_.SetTrackResult(2, -8); // a later write replaces the value
    EXPECT_EQ((Names{"1", "10", "2"}), ValueNames(base_ + "\\TrackResults"));
    EXPECT_EQ(0u, Track("1"));
    EXPECT_EQ(static_cast<DWORD>(-8), Track("2"));
    EXPECT_EQ(static_cast<DWORD>(-3), Track("10"));
}

TEST_F(RegistryResultsTest, ClearingDeletesTrackResultsWithEverythingBelowItOnly) {
    results_.SetBurnResults(-3);
    results_.SetTrackResult(1, 0);
    // Subkeys that another writer put there, nested three levels deep.
    ASSERT_TRUE(WriteDword(base_ + "\\TrackResults\\a\\b\\c", "deep", 1));
    ASSERT_TRUE(WriteDword(base_ + "\\TrackResults\\a", "mid", 1));
    ASSERT_TRUE(CreateKey(base_ + "\\TrackResults\\z"));
    results_.ClearTrackResults();
    EXPECT_EQ(Names{}, SubkeyNames(base_));
    EXPECT_NO_THROW(results_.ClearTrackResults()) << "nothing left to clear";
    EXPECT_EQ((Names{"BurnResults"}), ValueNames(base_));
    EXPECT_EQ(static_cast<DWORD>(-3), ReadDword(base_, "BurnResults"));
}

TEST_F(RegistryResultsTest, AnAreaThatCannotBeOpenedIsARuntimeError) {
    RegistryResults broken("Software\\" + std::string(300, 'x')); // longer than a key name may be
    try {
        broken.SetBurnResults(-3);
        GTEST_SKIP() << "this registry accepts key names of 300 characters";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ("Unable to access application area of registry.", e.what());
    }
    EXPECT_THROW(broken.SetTrackResult(1, 0), std::runtime_error);
    EXPECT_THROW(broken.ClearTrackResults(), std::runtime_error);
}

} // namespace
