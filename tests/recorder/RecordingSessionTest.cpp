// Recordings through COM: the image checked byte for byte against the cue sheet, gaps per
// write method, cancelling and the faults a drive can simulate. Every media query reads the
// disc state from its file, as another process would. CD-Text is PlaylistBurnProcessTest's;
// later sessions on an open disc (the client always closes it) are DiscStateTest's.
#include <functional>
#include <sstream>

#include "recorder/Crc32.h"
#include "recorder/CueSheet.h"
#include "recorder/MemorySource.h"
#include "recorder/RedBook.h"
#include "recorder/WavReader.h"
#include "tests/recorder/EngineFixture.h"

namespace {

struct CueEntry {
    int number = 0;
    long index0 = -1; // frames from the file's start; -1 when absent
    long index1 = -1;
    std::string crc; // of REM CRC32
};

// The tracks of a cue sheet.
std::vector<CueEntry> ParseCue(const std::string& text) {
    std::vector<CueEntry> entries;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string word, number, msf;
        words >> word >> number >> msf;
        if (word == "TRACK") entries.push_back({std::stoi(number), -1, -1, ""});
        if (word == "INDEX") (number == "00" ? entries.back().index0 : entries.back().index1) = static_cast<long>(RedBook::ParseMsf(msf).value());
        if (word == "REM" && number == "CRC32") entries.back().crc = msf;
    }
    return entries;
}

// The audio a WAV file becomes on the disc.
std::string Converted(const std::vector<std::uint8_t>& wav) {
    WavReader reader(std::make_unique<MemorySource>(wav));
    std::string out(reader.OutputBytes(), '\0');
    out.resize(reader.Read(reinterpret_cast<std::uint8_t*>(out.data()), out.size()));
    return out;
}

class RecordingSessionTest : public EngineFixture {
protected:
    // Three files of different layouts and lengths: 1.5 s 16-bit stereo, 5.2 s 8-bit mono,
    // 0.3 s 24-bit stereo; answers the audio each becomes.
    std::vector<std::string> AddThreeTracks(const Engine& e) {
        WavBuilder a, b, c;
        a.samples = WavBuilder::Pattern(66150, 1);
        b.channels = 1;
        b.bitsPerSample = 8;
        b.samples = WavBuilder::Pattern(229320 / 4, 2);
        c.bitsPerSample = 24;
        c.samples = WavBuilder::Pattern(13230 * 6 / 4, 3);
        std::vector<std::string> audio;
        for (WavBuilder* wav : {&a, &b, &c}) {
            std::string name = "track" + std::to_string(audio.size()) + ".wav";
            WriteFile(name, wav->Bytes());
            EXPECT_EQ(Add(e, Path(name)), S_OK);
            audio.push_back(Converted(wav->Bytes()));
        }
        return audio;
    }

    // Checks that the image holds each track's audio at its INDEX 01 and silence elsewhere,
    // and each track's CRC from there to the next track.
    void ExpectImage(const std::vector<CueEntry>& cue, const std::vector<std::string>& audio) {
        const std::string image = ReadImage("disc.bin");
        std::string expected(image.size(), '\0');
        for (std::size_t i = 0; i < audio.size(); ++i) {
            std::size_t offset = static_cast<std::size_t>(cue.at(i).index1) * 2352;
            ASSERT_LE(offset + audio[i].size(), expected.size()) << i;
            expected.replace(offset, audio[i].size(), audio[i]);
            std::size_t end = i + 1 < cue.size() ? static_cast<std::size_t>(cue[i + 1].index0 >= 0 ? cue[i + 1].index0 : cue[i + 1].index1) * 2352
                                                 : image.size();
            Crc32 crc;
            crc.Update(image.data() + offset, std::min(end, image.size()) - offset);
            EXPECT_EQ(cue[i].crc, CueSheet::CrcText(crc.Value())) << i;
        }
        EXPECT_TRUE(image == expected) << "the image differs from the audio at the cue sheet's positions";
    }
};

TEST_F(RecordingSessionTest, WritesTheAudioWhereTheCueSheetSaysWithGapsPerWriteMethod) {
    const struct {
        const char* name;
        std::uint32_t method;
        long gap; // before tracks 2 and 3
    } methods[] = {{"disc-at-once", RECORDING_OPTION_DAO, 0}, {"session-at-once", RECORDING_OPTION_SAO, 0},
                   {"track-at-once", 0, 150}};
    for (const auto& m : methods) {
        SCOPED_TRACE(m.name);
        SetUp();
        Engine e = Create(Drive('R'));
        Bstr id;
        LONG options = 0, speed = 0, pause = 0, reserved = 0;
        BYTE value = 0;
        ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
        options = (options & ~static_cast<LONG>(RECORDING_OPTION_DAO | RECORDING_OPTION_SAO)) | static_cast<LONG>(m.method);
        ASSERT_EQ(e.disc->SetCDCreationParams(id.get(), options, speed, pause, reserved, 1, value), S_OK);
        std::vector<std::string> audio = AddThreeTracks(e);
        Listener events(e.engine.get());
        Burn(e);

        std::vector<CueEntry> cue = ParseCue(ReadImage("disc.cue"));
        ASSERT_EQ(cue.size(), 3u);
        EXPECT_EQ(cue[0].index0, 0);
        EXPECT_EQ(cue[0].index1, 150);
        const long lengths[] = {300, 390, 300}; // 1.5 s and 0.3 s padded to 4 s; 5.2 s is 390 frames
        for (int i = 1; i < 3; ++i) {
            EXPECT_EQ(cue[i].number, i + 1);
            EXPECT_EQ(cue[i].index0, m.gap ? cue[i - 1].index1 + lengths[i - 1] : -1);
            EXPECT_EQ(cue[i].index1, cue[i - 1].index1 + lengths[i - 1] + m.gap);
        }
        ExpectImage(cue, audio);
        EXPECT_EQ(ReadImage("disc.bin").size(), static_cast<std::size_t>(cue[2].index1 + 300) * 2352);

        EXPECT_EQ(events->Get("status "), (Lines{"0x00000100", "0x00000001", "0x00000002", "0x00000004", "0x00000008",
                                                 "0x00000020", "0x00000200", "0x00000080", "0x00000010", "0x00000000"}));
        EXPECT_EQ(events->Get("", true), (Lines{"start 0", "end 0 0x00000000", "start 1", "end 1 0x00000000", "start 2",
                                                "end 2 0x00000000", "media 1"}));
        EXPECT_TRUE(e.MediaInfo().flags.closed);
        EXPECT_TRUE(e.Errors().empty());
    }
}

TEST_F(RecordingSessionTest, CancelledRecordingsLeaveAnIncompleteImageAndAnUnchangedDisc) {
    Engine e = Create(Drive('R'));
    ASSERT_EQ(Add(e, Wav("long.wav", 30)), S_OK);
    {
        Listener events(e.engine.get());
        events->cancelAtQuery = 12; // some way into the track
        ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
        EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), RECORDING_E_CANCELLED);
        // The disc now tells of the interrupted recording: that is a change of the media.
        EXPECT_EQ(events->Get("", true), (Lines{"start 0", "end 0 0x80041771", "media 1"}));
        EXPECT_EQ(events->Get("status ").back(), "0x00000000");
    }
    EXPECT_TRUE(ImageExists("disc.bin.partial"));
    EXPECT_FALSE(ImageExists("disc.bin") || ImageExists("disc.cue"));
    EXPECT_TRUE(e.Errors().empty());
    Media disc = e.MediaInfo();
    EXPECT_TRUE(disc.flags.blank && disc.flags.incomplete);
    EXPECT_EQ(disc.capacity.freeFrames, 360000u);

    // Abort before the writing starts: the recording ends at once. Abort during the writing
    // is EngineClientRealEngineTest's (a cancelled client also answers QueryCancel).
    ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
    ASSERT_EQ(e.disc->Abort(), S_OK);
    EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), RECORDING_E_CANCELLED);

    // A finished recording replaces the incomplete one.
    Burn(e);
    EXPECT_FALSE(ImageExists("disc.bin.partial"));
    disc = e.MediaInfo();
    EXPECT_TRUE(!disc.flags.incomplete && disc.flags.hasAudioTracks);
}

// Underruns, refusals, damage found by reading back, and the drive and disc states that stop a
// recording are EngineClientRealEngineTest's and ReliabilityProcessTest's (a closed disc),
// DiscStateTest's (a pressed disc is blocked as a closed one).
TEST_F(RecordingSessionTest, SimulatedFaultsAndBadSurroundingsBecomeEngineErrors) {
    const struct {
        const char* name;
        std::string keys;
        bool atRecord; // else at Prepare
        HRESULT code;
        const char* text; // part of the error list's text
        std::function<void()> before;
    } cases[] = {
        {"own code", "Fault.FailAtPercent=0\nFault.FailCode=0x80045555\n", true, RecordingCode(0x80045555), "0x80045555", {}},
        {"disk full", "Fault.ImageLimitBytes=100000\n", true, RECORDING_E_IMAGE_WRITE, "(error 112)", {}},
        {"unreadable kind", "Reads=CD\nWrites=CD-R\nMedia=CD-RW\n", false, RECORDING_E_MEDIA_UNREADABLE, "kind", {}},
        {"full disc", "Capacity=2\nContent=audio\nContentMinutes=1\n", false, RECORDING_E_DISC_FULL, "do not fit", {}},
        {"folder under a file", "Images=plain.txt\\sub\n", false, RECORDING_E_IMAGE_FOLDER,
         "cannot be created", [this] { WriteFile("plain.txt", {'x'}); }},
        {"file gone", "", false, RECORDING_E_FILE_NOT_FOUND, "does not exist",
         [this] { std::filesystem::remove(folder_ / "audio.wav"); }},
        {"file damaged", "", false, RECORDING_E_BAD_AUDIO_FILE, "damaged",
         [this] { std::filesystem::resize_file(folder_ / "audio.wav", 200); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Engine e = Create(Drive('R', c.keys));
        ASSERT_EQ(Add(e, Wav("audio.wav", 2)), S_OK);
        if (c.before) c.before();
        HRESULT hr = e.disc->Prepare(RECORDING_PREPARE_AUDIO);
        if (c.atRecord) {
            ASSERT_EQ(hr, S_OK) << Hex(hr);
            hr = e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE);
            EXPECT_EQ(e.disc->CloseDisc(RECORDING_CLOSE_FINALIZE), RECORDING_E_NOT_PREPARED);
            Media disc = e.MediaInfo();
            EXPECT_TRUE(disc.flags.blank && disc.flags.incomplete);
        }
        EXPECT_EQ(hr, c.code) << Hex(hr);
        Lines errors = e.Errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind(Hex(c.code) + " ", 0), 0u) << errors[0];
        EXPECT_NE(errors[0].find(c.text), std::string::npos) << errors[0];
        EXPECT_FALSE(ImageExists("disc.cue"));
    }
}

} // namespace
