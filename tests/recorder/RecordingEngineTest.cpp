// The engine DLL through COM as a client uses it: start-up, AddFile, erasing, disc events and
// recordings checked byte for byte against the cue sheet, cancelled or failing. What the
// engine client's, the process tests and DiscStateTest check of the engine is left to them.
#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>

#include "recorder/CdTextPacks.h"
#include "recorder/Crc32.h"
#include "recorder/CueSheet.h"
#include "recorder/MemorySource.h"
#include "recorder/RedBook.h"
#include "recorder/WavReader.h"
#include "tests/recorder/EngineFixture.h"

namespace {

using RecordingEngineTest = EngineFixture;

TEST_F(RecordingEngineTest, RefusesABrokenDriveFileWithItsLine) {
    Engine broken = Create(Drive('R', "Media=floppy\n"), RECORDING_E_CONFIGURATION);
    ASSERT_EQ(broken.Errors().size(), 1u);
    EXPECT_NE(broken.Errors()[0].find("line 4"), std::string::npos) << broken.Errors()[0];
}

// An erase outlives its caller's references: its thread keeps the DLL loaded until it ends.
TEST_F(RecordingEngineTest, AnEraseKeepsTheDllUntilItEnds) {
    const auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("fennel_recorder.dll"), "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    {
        const Engine e = Create(Drive('R', "Media=CD-RW\nContent=audio\nPaced=1\nRewriteSpeeds=60\n"));
        ASSERT_EQ(e.Device(0)->Erase(RECORDING_ERASE_ASYNC), S_OK); // a quick erase: about 3 s at 60x
    }
    EXPECT_EQ(canUnload(), S_FALSE);
    HRESULT answer = S_FALSE;
    for (int i = 0; i < 1000 && answer == S_FALSE; ++i) {
        Sleep(20);
        answer = canUnload();
    }
    EXPECT_EQ(answer, S_OK) << "the erase's end never let the DLL go";
}

TEST_F(RecordingEngineTest, JudgesAudioFilesWithTheCodeOfTheirProblem) {
    Engine e = Create(Drive('R', "Capacity=1\n"));
    ComPtr<IRecordingDevice> none;
    EXPECT_EQ(e.engine->GetDevice(1, none.put()), RECORDING_E_NO_SUCH_DEVICE); // one past the last
    WavBuilder lying, rate48;
    lying.samples = rate48.samples = WavBuilder::Pattern(1000, 1);
    lying.dataSizeField = 1 << 20;
    rate48.sampleRate = 48000;
    WriteFile("lying.wav", lying.Bytes());
    WriteFile("rate48.wav", rate48.Bytes());
    WriteFile("text.wav", {'h', 'e', 'l', 'l', 'o'});
    Wav("half.wav", 30);
    const struct {
        const char* file;
        HRESULT add;
        BYTE supported, readable;
    } cases[] = {
        {"text.wav", RECORDING_E_UNREADABLE_FILE_TYPE, 1, 0},
        {"rate48.wav", S_OK, 1, 1}, // the reader refuses it, the decoder resamples it
        {"lying.wav", RECORDING_E_BAD_AUDIO_FILE, 1, 0},
        {"half.wav", S_OK, 1, 1},
        {"half.wav", RECORDING_E_DISC_FULL, 1, 1}, // 150 + 300 + 2 x 2250 frames > one minute
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Bstr path(Path(c.file));
        BYTE supported = 9, readable = 9;
        EXPECT_EQ(e.engine->IsFileSupported(path.get(), &supported), S_OK);
        EXPECT_EQ(e.engine->IsFileTypeReadable(path.get(), &readable), S_OK);
        EXPECT_EQ(supported, c.supported);
        EXPECT_EQ(readable, c.readable);
        EXPECT_EQ(Add(e, Path(c.file)), c.add);
    }
    LONG count = 0, frames = 0;
    EXPECT_EQ(e.disc->GetTrackCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(e.disc->GetSpaceNeeded(&frames), S_OK);
    EXPECT_EQ(frames, 150 + 300 + 2250); // the short track padded to 4 s
    Bstr text("x");
    EXPECT_EQ(e.disc->SetTrackText(2, text.get(), nullptr), E_INVALIDARG); // one past the last track
    EXPECT_EQ(e.disc->SetTrackText(-1, text.get(), nullptr), E_INVALIDARG);
    EXPECT_TRUE(e.Errors().empty()); // refused files are answers, not recording errors
}

TEST_F(RecordingEngineTest, ReportsChangesOfTheDriveFileAsEvents) {
    Engine e = Create(Drive('R', "Media=CD-R\n"));
    ComPtr<IRecordingDevice> device = e.Device(0);
    Listener events(device.get(), IID_IRecordingDeviceEvents);
    Listener engineEvents(e.engine.get());
    const std::string audio = "Media=CD-RW\nContent=audio\nContentTracks=3\n";
    const struct {
        std::string keys;
        Lines events;
    } steps[] = {
        {"Media=none\n", {"media 0"}},
        {audio, {"media 1", "tracks 3"}},
        {audio + "Ready=0\n", {"ready 0"}},
        {audio + "Ready=0\n", {}},
    };
    Lines expected;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.keys);
        expected.insert(expected.end(), step.events.begin(), step.events.end());
        UseConfig(Drive('R', step.keys));
        ASSERT_EQ(e.engine->RefreshDevices(), S_OK);
        // The engine's monitor may have seen the change first and be reporting it.
        for (int i = 0; i < 100 && events->Get().size() < expected.size(); ++i) Sleep(10);
        EXPECT_EQ(events->Get(), expected);
    }
    EXPECT_EQ(engineEvents->Get(), (Lines{"media 0", "media 1"}));
}

struct CueEntry {
    int number = 0;
    long index0 = -1; // frames from the file's start; -1 when absent
    long index1 = -1;
    std::string crc; // of REM CRC32
};

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
        // The titles as a binary CD-Text file the cue sheet names: header, then packs with their CRC.
        EXPECT_EQ(ReadImage("disc.cue").rfind("CDTEXTFILE \"disc.cdt\"\r\n", 0), 0u);
        const std::string cdt = ReadImage("disc.cdt");
        ASSERT_GE(cdt.size(), 4u + 18u);
        EXPECT_EQ((cdt.size() - 4) % 18, 0u);
        EXPECT_EQ(static_cast<std::size_t>(static_cast<unsigned char>(cdt[0]) << 8 | static_cast<unsigned char>(cdt[1])),
                  cdt.size() - 2);
        for (std::size_t at = 4; at + 18 <= cdt.size(); at += 18) {
            const auto* pack = reinterpret_cast<const std::uint8_t*>(cdt.data() + at);
            EXPECT_EQ(CdTextPacks::Crc(pack, 16), pack[16] << 8 | pack[17]) << at;
        }

        EXPECT_EQ(events->Get(true), (Lines{"start 0", "end 0 0x00000000", "start 1", "end 1 0x00000000", "start 2",
                                                "end 2 0x00000000", "media 1"}));
        EXPECT_TRUE(e.MediaInfo().flags.closed);
        EXPECT_TRUE(e.Errors().empty());
    }
}

// An album in one file as its CUE sheet lays it out: a hidden track in track 1's pregap, a gap
// with audio before track 2, a silent pregap and a postgap on track 3. Written disc-at-once,
// the image holds the file's audio where the cue sheet's indexes say, with the album's codes;
// track-at-once would change the gaps and refuses it.
TEST_F(RecordingSessionTest, AnAlbumKeepsItsOwnGapsAndCodes) {
    Engine e = Create(Drive('R'));
    auto method = [&](LONG options) {
        return e.disc->SetCDCreationParams(nullptr, RECORDING_OPTION_AUDIO_DISC | options, RecordingSpeedMask(16), 150, 0,
                                           0, 1);
    };
    ASSERT_EQ(method(RECORDING_OPTION_DAO), S_OK);
    const Bstr album(Wav("album.wav", 20)); // 1500 frames
    LONG t[3] = {-1, -1, -1};
    ASSERT_EQ(e.disc->AddFileRange(album.get(), 300, 450, &t[0]), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t[0], RECORDING_PART_PREGAP, album.get(), 0, 300), S_OK);
    ASSERT_EQ(e.disc->AddFileRange(album.get(), 825, 375, &t[1]), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t[1], RECORDING_PART_PREGAP, album.get(), 750, 75), S_OK);
    ASSERT_EQ(e.disc->AddFileRange(album.get(), 1200, RECORDING_FRAMES_TO_END, &t[2]), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t[2], RECORDING_PART_PREGAP, nullptr, 0, 75), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t[2], RECORDING_PART_AUDIO, nullptr, 0, 150), S_OK);
    EXPECT_EQ(e.disc->AddFileRange(album.get(), 1400, 200, &t[0]), E_INVALIDARG) << "a range past the file's end";
    ASSERT_EQ(e.disc->SetTrackCodes(t[1], Bstr("GBAYE0000351").get(), RECORDING_TRACK_COPY_PERMITTED), S_OK);
    EXPECT_EQ(e.disc->SetTrackCodes(t[1], Bstr("GB-AYE-00-00351").get(), 0), E_INVALIDARG);
    ASSERT_EQ(e.disc->SetDiscCatalog(Bstr("0123456789012").get()), S_OK);
    ASSERT_EQ(e.disc->SetSongwriter(-1, Bstr("Writer").get()), S_OK);

    ASSERT_EQ(method(0), S_OK);
    EXPECT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), RECORDING_E_PREPARE_REFUSED);
    ASSERT_EQ(method(RECORDING_OPTION_DAO), S_OK);
    Burn(e);

    const std::string cueText = ReadImage("disc.cue");
    std::vector<CueEntry> cue = ParseCue(cueText);
    ASSERT_EQ(cue.size(), 3u);
    const long indexes[3][2] = {{0, 300}, {750, 825}, {1200, 1275}};
    for (int i = 0; i < 3; ++i) EXPECT_EQ((std::vector<long>{cue[i].index0, cue[i].index1}), (std::vector<long>{indexes[i][0], indexes[i][1]})) << i;
    const std::string pcm = ReadImage("../album.wav").substr(44);
    const std::string frames75(75 * 2352, '\0'), frames150(150 * 2352, '\0');
    EXPECT_TRUE(ReadImage("disc.bin") == pcm.substr(0, 1200 * 2352) + frames75 + pcm.substr(1200 * 2352) + frames150)
        << "the image differs from the album where its indexes lie";
    for (const char* line : {"CATALOG 0123456789012\r\n", "SONGWRITER \"Writer\"\r\n", "    FLAGS DCP\r\n    ISRC GBAYE0000351\r\n"})
        EXPECT_NE(cueText.find(line), std::string::npos) << line << cueText;
}

// Levelled loudness: a -20 dBFS sine (997 Hz, as the standard measures) gains the 2 dB that bring it to -18 LUFS, sample for
// sample within the dither; a quiet track with a full-scale click is held under the -1 dBTP
// ceiling instead, nothing clipped. The cue sheet gives what was measured.
TEST_F(RecordingSessionTest, LevelledLoudnessGainsWhatItShouldAndClipsNothing) {
    const struct {
        double level; // of the sine, dBFS
        bool click;   // a full-scale sample in the middle
        double gainDb;
        const char* remark;
    } rows[] = {{-20, false, 2.0, "REM REPLAYGAIN_TRACK_GAIN +2.00 dB"}, {-30, true, -1.0, "REM REPLAYGAIN_TRACK_PEAK 0.99"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.level);
        SetUp();
        Engine e = Create(Drive('R'));
        ASSERT_EQ(e.disc->SetCDCreationParams(nullptr, RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO |
                                                           RECORDING_OPTION_LEVEL_LOUDNESS,
                                              RecordingSpeedMask(16), 150, 0, 0, 1),
                  S_OK);
        std::vector<std::int16_t> samples(2 * 44100 * 5);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(std::lround(32767 * std::pow(10, row.level / 20) *
                                                               std::sin(2 * 3.14159265358979 * 997 * static_cast<double>(i / 2) / 44100)));
        if (row.click) samples[samples.size() / 2] = 32767;
        WavBuilder wav;
        wav.samples.resize(samples.size() * 2);
        std::memcpy(wav.samples.data(), samples.data(), wav.samples.size());
        WriteFile("tone.wav", wav.Bytes());
        ASSERT_EQ(Add(e, Path("tone.wav")), S_OK);
        Burn(e);
        const std::string image = ReadImage("disc.bin").substr(150 * 2352);
        ASSERT_GE(image.size(), wav.samples.size());
        const double factor = std::pow(10, row.gainDb / 20);
        int worst = 0, loudest = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            std::int16_t got;
            std::memcpy(&got, image.data() + 2 * i, 2);
            worst = std::max(worst, std::abs(got - static_cast<int>(std::lround(samples[i] * factor))));
            loudest = std::max(loudest, std::abs(static_cast<int>(got)));
        }
        EXPECT_LE(worst, 2) << "not the gain of " << row.gainDb << " dB";
        EXPECT_LE(loudest, static_cast<int>(32768 * std::pow(10, -1.0 / 20)) + 1) << "over the ceiling";
        EXPECT_NE(ReadImage("disc.cue").find(row.remark), std::string::npos) << ReadImage("disc.cue");
    }
}

TEST_F(RecordingSessionTest, CancelledRecordingsLeaveAnIncompleteImageAndErasingRemovesAFinishedOne) {
    Engine e = Create(Drive('R', "Media=CD-RW\n"));
    ASSERT_EQ(Add(e, Wav("long.wav", 30)), S_OK);
    {
        Listener events(e.engine.get());
        events->cancelAtQuery = 12; // some way into the track
        ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
        EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), RECORDING_E_CANCELLED);
        // The disc now tells of the interrupted recording: that is a change of the media.
        EXPECT_EQ(events->Get(true), (Lines{"start 0", "end 0 0x80041771", "media 1"}));
    }
    EXPECT_TRUE(ImageExists("disc.bin.partial"));
    EXPECT_FALSE(ImageExists("disc.bin") || ImageExists("disc.cue"));
    EXPECT_TRUE(e.Errors().empty());
    Media disc = e.MediaInfo();
    EXPECT_TRUE(disc.flags.blank && disc.flags.incomplete);
    EXPECT_EQ(disc.capacity.freeFrames, 360000u);

    // Abort before the writing starts: the recording ends at once.
    ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
    ASSERT_EQ(e.disc->Abort(), S_OK);
    EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), RECORDING_E_CANCELLED);

    // A finished recording replaces the incomplete one.
    Burn(e);
    EXPECT_FALSE(ImageExists("disc.bin.partial"));
    disc = e.MediaInfo();
    EXPECT_TRUE(!disc.flags.incomplete && disc.flags.hasAudioTracks);

    ComPtr<IRecordingDevice> device = e.Device(0);
    Listener events(device.get(), IID_IRecordingDeviceEvents);
    ASSERT_EQ(device->Erase(0), S_OK);
    EXPECT_EQ(events->Get(true), (Lines{"erase start 0", "erase end 0x00000000", "media 1", "tracks 0"}));
    disc = e.MediaInfo();
    EXPECT_TRUE(disc.flags.blank && !disc.flags.closed);
    EXPECT_EQ(disc.capacity.freeFrames, 360000u);
    EXPECT_FALSE(ImageExists("disc.bin") || ImageExists("disc.cue"));
}

TEST_F(RecordingSessionTest, SimulatedFaultsAndBadSurroundingsBecomeEngineErrors) {
    const struct {
        const char* name;
        std::string keys;
        bool atRecord; // else at Prepare
        HRESULT code;
        const char* text; // part of the error list's text
        std::function<void(const Engine&)> before;
    } cases[] = {
        {"disk full", "Fault.ImageLimitBytes=100000\n", true, RECORDING_E_IMAGE_WRITE, "(error 112)", {}},
        {"damaged image", "Fault.CorruptAtPercent=50\n", true, RECORDING_E_VERIFY_FAILED, "track 1: the image holds", {}},
        {"unreadable kind", "Reads=CD\nWrites=CD-R\nMedia=CD-RW\n", false, RECORDING_E_MEDIA_UNREADABLE, "kind", {}},
        {"full disc", "Capacity=2\nContent=audio\nContentMinutes=1\n", false, RECORDING_E_DISC_FULL, "do not fit", {}},
        {"folder under a file", "Images=plain.txt\\sub\n", false, RECORDING_E_IMAGE_FOLDER,
         "cannot be created", [this](const Engine&) { WriteFile("plain.txt", {'x'}); }},
        {"file gone", "", false, RECORDING_E_FILE_NOT_FOUND, "does not exist",
         [this](const Engine&) { std::filesystem::remove(Path("audio.wav")); }},
        {"file damaged", "", false, RECORDING_E_BAD_AUDIO_FILE, "damaged",
         [this](const Engine&) { std::filesystem::resize_file(Path("audio.wav"), 200); }},
        // 20 tracks with 80-byte titles and performers need more CD-Text packs than a disc holds.
        {"CD-Text too long", "", false, RECORDING_E_PREPARE_REFUSED, "CD-Text does not fit",
         [this](const Engine& e) {
             for (int i = 0; i < 20; ++i) {
                 if (i > 0) {
                     ASSERT_EQ(Add(e, Wav("t" + std::to_string(i) + ".wav", 0.1)), S_OK);
                 }
                 ASSERT_EQ(e.disc->SetTrackText(i, Bstr(std::string(80, 't')).get(), Bstr(std::string(80, 'p')).get()), S_OK);
             }
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Engine e = Create(Drive('R', c.keys));
        ASSERT_EQ(Add(e, Wav("audio.wav", 2)), S_OK);
        if (c.before) c.before(e);
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
