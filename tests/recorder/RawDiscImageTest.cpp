#include "recorder/RawDiscImage.h"

#include <gtest/gtest.h>

#include "tests/common/RawSubcode.h"

namespace {

constexpr std::uint64_t kLeadIn = RawDiscImage::kLeadInSectors;

// Three tracks of four seconds, a two-second pause before each: track 1 from frame 0 (index
// 1 at 150), track 2 from 450 (600), track 3 from 900 (1050); the lead-out at 1350 (00:18:00).
SessionPlan ThreeTracks() { return SessionPlan::Make(0, 1, {1, 1, 1}, WriteMethod::TrackAtOnce, 150); }
constexpr std::uint64_t kLeadOut = kLeadIn + 1350;

// Five packs of distinct bytes, so that any shift or mix-up of the R-W bits shows.
std::vector<CdTextPacks::Pack> FivePacks() {
    std::vector<CdTextPacks::Pack> packs(5);
    for (std::size_t k = 0; k < packs.size(); ++k)
        for (std::size_t i = 0; i < CdTextPacks::kPackBytes; ++i)
            packs[k][i] = static_cast<std::uint8_t>(k * 37 + i * 11 + 1);
    return packs;
}

std::array<std::uint8_t, 96> SubcodeOf(const RawDiscImage& image, std::uint64_t sector) {
    std::array<std::uint8_t, 96> sub{};
    image.Subcode(sector, sub.data());
    return sub;
}

TEST(RawDiscImageTest, MapsStreamSectorsToAreasAndImageBytes) {
    RawDiscImage image(ThreeTracks(), {});
    EXPECT_EQ(image.SectorCount(), 22500u + 1350 + 6750);
    const struct {
        std::uint64_t sector;
        RawDiscImage::Area area;
    } cases[] = {{0, RawDiscImage::Area::LeadIn},         {kLeadIn - 1, RawDiscImage::Area::LeadIn},
                 {kLeadIn, RawDiscImage::Area::Program},  {kLeadOut - 1, RawDiscImage::Area::Program},
                 {kLeadOut, RawDiscImage::Area::LeadOut}, {image.SectorCount() - 1, RawDiscImage::Area::LeadOut}};
    for (const auto& c : cases) EXPECT_EQ(image.AreaOf(c.sector), c.area) << c.sector;
    EXPECT_EQ(image.ProgramFrame(kLeadIn + 600), 600u);
    EXPECT_EQ(image.ProgramImageOffset(kLeadOut - 1), 1349u * 2352);
    std::uint8_t sub[96];
    EXPECT_THROW(image.Subcode(image.SectorCount(), sub), RawDiscImage::sector_out_of_range);
    for (std::uint64_t outside : {kLeadIn - 1, kLeadOut})
        EXPECT_THROW(image.ProgramImageOffset(outside), RawDiscImage::sector_out_of_range) << outside;
}

TEST(RawDiscImageTest, QCarriesTheTocInTheLeadInAndPositionsAfterIt) {
    RawDiscImage image(ThreeTracks(), FivePacks());
    const struct {
        std::uint64_t sector;
        std::array<std::uint8_t, 10> q;
    } cases[] = {
        {0, {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}}, // track 1, three times
        {2, {0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x02, 0x00}},
        {3, {0x01, 0x00, 0x02, 0x00, 0x00, 0x03, 0x00, 0x00, 0x08, 0x00}},
        {8, {0x01, 0x00, 0x03, 0x00, 0x00, 0x08, 0x00, 0x00, 0x14, 0x00}},
        {9, {0x01, 0x00, 0xA0, 0x00, 0x00, 0x09, 0x00, 0x01, 0x00, 0x00}},
        {12, {0x01, 0x00, 0xA1, 0x00, 0x00, 0x12, 0x00, 0x03, 0x00, 0x00}},
        {17, {0x01, 0x00, 0xA2, 0x00, 0x00, 0x17, 0x00, 0x00, 0x18, 0x00}},
        {18, {0x01, 0x00, 0x01, 0x00, 0x00, 0x18, 0x00, 0x00, 0x02, 0x00}}, // round again
        {kLeadIn - 1, {0x01, 0x00, 0xA2, 0x04, 0x59, 0x74, 0x00, 0x00, 0x18, 0x00}},
        {kLeadIn, {0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}}, // pregap counts down
        {kLeadIn + 149, {0x01, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x74}},
        {kLeadIn + 150, {0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}}, // then up
        {kLeadIn + 449, {0x01, 0x01, 0x01, 0x00, 0x03, 0x74, 0x00, 0x00, 0x05, 0x74}},
        {kLeadIn + 450, {0x01, 0x02, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x06, 0x00}},
        {kLeadIn + 600, {0x01, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00}},
        {kLeadOut - 1, {0x01, 0x03, 0x01, 0x00, 0x03, 0x74, 0x00, 0x00, 0x17, 0x74}},
        {kLeadOut, {0x01, 0xAA, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x00}},
        {kLeadOut + 75, {0x01, 0xAA, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x19, 0x00}},
        {kLeadOut + 6749, {0x01, 0xAA, 0x01, 0x01, 0x29, 0x74, 0x00, 0x01, 0x47, 0x74}},
    };
    for (const auto& c : cases) {
        auto sub = SubcodeOf(image, c.sector);
        auto q = testsupport::DecodeQ(sub.data());
        EXPECT_TRUE(std::equal(c.q.begin(), c.q.end(), q.begin())) << c.sector;
        std::uint16_t crc = CdTextPacks::Crc(q.data(), 10);
        EXPECT_EQ(q[10] << 8 | q[11], crc) << c.sector;
    }
    auto first = testsupport::DecodeQ(SubcodeOf(image, 0).data()); // CRC worked out apart from the project
    EXPECT_EQ(first[10], 0xB1);
    EXPECT_EQ(first[11], 0x0B);

    RawDiscImage marked(ThreeTracks(), {}, RawDiscImage::kControlCopyPermitted | RawDiscImage::kControlPreEmphasis);
    for (std::uint64_t sector : {std::uint64_t{0}, kLeadIn, kLeadOut})
        EXPECT_EQ(testsupport::DecodeQ(SubcodeOf(marked, sector).data())[0], 0x31) << sector;
}

// An album's codes: the catalog number as mode 2 at frames 10 modulo 100, a track's ISRC as
// mode 3 at frames 60 modulo 100 from its index 1, its CONTROL everywhere in its frames.
// Bytes worked out by hand: G B A Y E are 23 18 17 41 21 in six bits.
TEST(RawDiscImageTest, QCarriesTheAlbumsCatalogIsrcAndControl) {
    RawDiscImage image(SessionPlan::Make(0, 1, {300 * 2352}, WriteMethod::DiscAtOnce, 150), {});
    image.SetCodes({"0123456789012", {"GBAYE0000351"}, {0x2}});
    const auto q = [&](std::uint32_t frame) {
        auto bytes = testsupport::DecodeQ(SubcodeOf(image, RawDiscImage::kLeadInSectors + frame).data());
        EXPECT_EQ(CdTextPacks::Crc(bytes.data(), 10), bytes[10] << 8 | bytes[11]) << frame;
        return std::vector<int>(bytes.begin(), bytes.begin() + 10);
    };
    EXPECT_EQ(q(110), (std::vector<int>{0x22, 0x01, 0x23, 0x45, 0x67, 0x89, 0x01, 0x20, 0x00, 0x35}));
    EXPECT_EQ(q(160), (std::vector<int>{0x23, 0x5D, 0x24, 0x69, 0x54, 0x00, 0x00, 0x35, 0x10, 0x10}));
    EXPECT_EQ(q(60)[0], 0x21) << "no ISRC before index 1";
    EXPECT_EQ(q(161)[0], 0x21);
}

TEST(RawDiscImageTest, PFlagsPausesAndFlashesThroughTheLeadOut) {
    RawDiscImage image(ThreeTracks(), FivePacks());
    const std::pair<std::uint64_t, int> cases[] = {
        {0, 0},           {kLeadIn - 1, 0},   {kLeadIn, 1},       {kLeadIn + 149, 1}, {kLeadIn + 150, 0},
        {kLeadIn + 449, 0}, {kLeadIn + 450, 1}, {kLeadIn + 599, 1}, {kLeadIn + 600, 0}, {kLeadOut, 1},
        {kLeadOut + 18, 1}, {kLeadOut + 19, 0}, {kLeadOut + 37, 0}, {kLeadOut + 38, 1}, {kLeadOut + 6749, 0},
    };
    for (auto [sector, p] : cases) EXPECT_EQ(testsupport::P(SubcodeOf(image, sector).data()), p) << sector;
}

TEST(RawDiscImageTest, LeadInRwCyclesThroughThePacksFourASector) {
    auto packs = FivePacks();
    RawDiscImage image(ThreeTracks(), packs);
    const std::pair<std::uint64_t, std::array<std::size_t, 4>> cases[] = {
        {0, {0, 1, 2, 3}}, {1, {4, 0, 1, 2}}, {kLeadIn - 1, {1, 2, 3, 4}}};
    for (const auto& [sector, expected] : cases) {
        auto decoded = testsupport::DecodePacks(SubcodeOf(image, sector).data());
        for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(decoded[k], packs[expected[k]]) << sector << " pack " << k;
    }
    RawDiscImage plain(ThreeTracks(), {});
    for (auto [which, sector] : {std::pair{&image, kLeadIn}, {&image, kLeadOut}, {&plain, std::uint64_t{0}}}) {
        auto sub = SubcodeOf(*which, sector);
        for (std::uint8_t byte : sub) ASSERT_EQ(byte & 0x3F, 0) << sector;
    }
}

TEST(RawDiscImageTest, RefusesPlansItCannotDescribe) {
    SessionPlan later = SessionPlan::Make(11250, 2, {1}, WriteMethod::DiscAtOnce, 0);
    SessionPlan gap = ThreeTracks();
    gap.tracks[1].startFrame += 1;
    SessionPlan renumbered = ThreeTracks();
    renumbered.tracks[2].number = 4;
    SessionPlan tooLong = SessionPlan::Make(0, 1, {std::uint64_t{99} * 60 * 176400}, WriteMethod::DiscAtOnce, 0);
    SessionPlan empty;
    for (const SessionPlan* plan : {&later, &gap, &renumbered, &tooLong, &empty})
        EXPECT_THROW(RawDiscImage(*plan, {}), RawDiscImage::invalid_plan);
}

} // namespace
