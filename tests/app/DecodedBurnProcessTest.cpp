// Silent burns of playlists the engine decodes through Media Foundation (the tones that
// tests/recorder/make_tones.sh makes at build time): every track recorded, the image as long
// as the decoded tracks, the lossless ones bit for bit; a damaged file refused as a track.
#include "FennelRun.h"
#include "common/TempFolder.h"
#include "common/TestRegistry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using namespace fenneltest;

constexpr std::uint64_t kSectorBytes = 2352;
constexpr std::uint64_t kToneSectors = 5 * 75;  // five seconds
constexpr std::uint64_t kPregapSectors = 150;

std::string Tone(const std::string& name) { return std::string("Z:") + FENNEL_BINARY_DIR + "\\tones\\" + name; }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DecodedBurnProcessTest, MixedPlaylistsBurnTheirDecodedTracks) {
    const std::string& area = ShippedArea();
    ASSERT_FALSE(area.empty());
    UserLocale english("00000409");
    ASSERT_TRUE(english.Set());
    TempFolder temp;
    std::string noise(20000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::string damaged = temp.Write("damaged.mp3", noise);
    RecorderDrives drives(temp.Write("recorder.ini", "[Drive R]\r\nName=Test Recorder\r\nImages=images\r\nImageName=disc\r\n"
                                                     "Media=CD-R\r\nCapacity=80\r\nContent=blank\r\nPaced=0\r\n"));

    const struct {
        const char* name;
        std::vector<std::string> files;
        std::int32_t burnResults;
        std::vector<std::int32_t> tracks;
    } rows[] = {
        {"wav mp3 flac wma", {Tone("tone.wav"), Tone("tone.mp3"), Tone("tone.flac"), Tone("tone.wma")}, 0, {0, 0, 0, 0}},
        {"damaged mp3", {Tone("tone.flac"), damaged, Tone("tone.mp3")}, 1, {0, -7, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(DeleteKeyTree(area));
        DeleteFileA(temp.File("images\\disc-state.ini").c_str());
        std::string list;
        for (const std::string& file : row.files) list += file + "\r\n";
        const Outcome outcome = RunFennel(FennelExe(), "/S \"" + temp.Write("list.m3u", list) + "\"", temp.Path());
        EXPECT_EQ("0", outcome.exit) << outcome.output;
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(row.burnResults, static_cast<std::int32_t>(ReadDword(area, "BurnResults").value_or(99)));
        for (std::size_t i = 0; i < row.tracks.size(); ++i)
            EXPECT_EQ(row.tracks[i], static_cast<std::int32_t>(ReadDword(area + "\\TrackResults", std::to_string(i + 1)).value_or(99)))
                << "track " << i + 1;

        // Disc-at-once: the first pregap, then each recorded track padded to whole sectors.
        // WMA decodes to within one of its 2048-frame blocks of the source's length.
        const std::string image = ReadAll(temp.File("images\\disc.bin"));
        std::uint64_t sectors = 0;
        for (std::int32_t track : row.tracks) sectors += track == 0 ? kToneSectors : 0;
        const bool wma = row.files.back().ends_with(".wma");
        const std::uint64_t bytes = image.size(), expected = (kPregapSectors + sectors) * kSectorBytes;
        EXPECT_EQ(0u, bytes % kSectorBytes);
        EXPECT_GE(bytes, expected - (wma ? 4 * kSectorBytes : 0));
        EXPECT_LE(bytes, expected + (wma ? 4 * kSectorBytes : 0));
        // The first track is lossless: its audio is the source's samples.
        const std::string wav = ReadAll(Tone("tone.wav"));
        ASSERT_NE(std::string::npos, wav.find("data"));
        const std::string pcm = wav.substr(wav.find("data") + 8);
        ASSERT_GE(bytes, kPregapSectors * kSectorBytes + pcm.size());
        EXPECT_TRUE(image.compare(kPregapSectors * kSectorBytes, pcm.size(), pcm) == 0);
    }
    DeleteKeyTree(area);
}

} // namespace
