// Silent burns of playlists the engine decodes through Media Foundation (tones that
// tests/recorder/make_tones.sh makes at build time): the image as long as the decoded
// tracks, its lossless first track bit for bit; a damaged file refused as a track.
#include "BurnCase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using namespace fenneltest;

constexpr std::uint64_t kSector = 2352, kPregapSectors = 150, kToneSectors = 5 * 75;

std::string Tone(const std::string& name) { return std::string("Z:") + FENNEL_BINARY_DIR + "\\tones\\" + name; }
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using DecodedBurnProcessTest = BurnCase;

TEST_F(DecodedBurnProcessTest, MixedPlaylistsBurnTheirDecodedTracks) {
    Drive("Media=CD-R\r\nCapacity=80\r\nContent=blank\r\n");
    const std::string damaged = temp_.Write("damaged.mp3", std::string(20000, '\x5A'));
    const std::string wav = ReadAll(Tone("tone.wav"));
    const std::string pcm = wav.substr(wav.find("data") + 8);
    const struct {
        std::vector<std::string> files;
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks;
        std::uint64_t slack; // sectors: WMA decodes to within one 2048-frame block
    } rows[] = {
        {{Tone("tone.flac"), Tone("tone.mp3"), Tone("tone.wav"), Tone("tone.wma")}, 0, {0, 0, 0, 0}, 4},
        {{Tone("tone.flac"), damaged, Tone("tone.mp3")}, 1, {0, -7, 0}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.size());
        FreshDisc();
        std::string list;
        for (const std::string& file : row.files) list += file + "\r\n";
        const Outcome outcome = Fennel("/S \"" + temp_.Write("list.m3u", list) + "\"");
        EXPECT_EQ("0", outcome.exit) << outcome.output;
        EXPECT_EQ(row.burnResults, Value("BurnResults"));
        EXPECT_EQ(row.tracks, Tracks(row.tracks.size()));
        std::uint64_t sectors = kPregapSectors;
        for (std::int32_t track : row.tracks) sectors += track == 0 ? kToneSectors : 0;
        // Disc-at-once: the first pregap, then each recorded track padded to whole sectors.
        const std::string image = ReadAll(temp_.File("images\\disc.bin"));
        EXPECT_EQ(0u, image.size() % kSector);
        EXPECT_GE(image.size(), (sectors - row.slack) * kSector);
        EXPECT_LE(image.size(), (sectors + row.slack) * kSector);
        EXPECT_EQ(0, image.compare(kPregapSectors * kSector, pcm.size(), pcm)) << "the FLAC track is the WAV's samples";
    }
}

} // namespace
