// The engine and its drives through COM as a client uses them: start-up, parameters, what
// AddFile accepts, erasing, and the events that report changes of the disc. Registration is
// the installer cycle's check; the drives' abilities, speeds, a busy drive, the start-up
// delay and readiness after a delay are EngineClientRealEngineTest's, DriveSpeedDialogTest's
// and ReliabilityProcessTest's; the media records DiscStateTest's.
#include "tests/recorder/EngineFixture.h"

namespace {

class RecordingEngineTest : public EngineFixture {};

TEST_F(RecordingEngineTest, AnswersOnlyAfterInitializeAndRefusesABrokenDriveFile) {
    Engine e = Create(Drive('R'), false);
    LONG count = 0;
    EXPECT_EQ(e.engine->GetDeviceCount(&count), RECORDING_E_NOT_INITIALIZED);
    Bstr name("engine tests");
    EXPECT_EQ(e.engine->Initialize(GUID_NULL, name.get(), 0), E_INVALIDARG);
    ASSERT_EQ(e.engine->Initialize(FENNEL_APPLICATION_ID, name.get(), 0), S_OK);
    EXPECT_EQ(e.engine->SetConfigurationPath(name.get()), E_UNEXPECTED); // too late once running
    ComPtr<IRecordingDevice> none;
    EXPECT_EQ(e.engine->GetDevice(1, none.put()), RECORDING_E_NO_SUCH_DEVICE); // one past the last

    Engine broken = Create(Drive('R', "Media=floppy\n"), true, RECORDING_E_CONFIGURATION);
    ASSERT_EQ(broken.Errors().size(), 1u);
    EXPECT_NE(broken.Errors()[0].find("line 4"), std::string::npos) << broken.Errors()[0];
}

TEST_F(RecordingEngineTest, KeepsDiscCreationParameters) {
    Engine e = Create(Drive('R', "WriteSpeeds=16, 8\n") + Drive('S'));
    Bstr id;
    LONG options = 0, speed = 0, pause = 0, reserved = -1;
    BYTE value = 0;
    ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
    EXPECT_EQ(id.Utf8(), "VirtualRecorder:R");
    EXPECT_EQ(static_cast<std::uint32_t>(options), RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO |
                                                      RECORDING_OPTION_UNDERRUN_PROTECTION | RECORDING_OPTION_RESERVED_30);
    EXPECT_EQ(static_cast<std::uint32_t>(speed), RecordingSpeedMask(16));
    EXPECT_EQ((std::vector<LONG>{pause, reserved, value}), (std::vector<LONG>{150, 0, 1}));

    Bstr other("VirtualRecorder:S"), unknown("VirtualRecorder:Q");
    EXPECT_EQ(e.disc->SetCDCreationParams(unknown.get(), options, speed, pause, 0, 1, value), RECORDING_E_NO_SUCH_DEVICE);
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), options, speed, pause, 0, 1, value), S_OK); // drive S now
    LONG twoSpeeds = static_cast<LONG>(RecordingSpeedMask(8) | RecordingSpeedMask(24));
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), 0x2, twoSpeeds, 0, 5, 1, 3), S_OK);
    ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
    EXPECT_EQ(id.Utf8(), "VirtualRecorder:S");
    EXPECT_EQ(static_cast<std::uint32_t>(speed), RecordingSpeedMask(24)); // the faster of the two
    EXPECT_EQ((std::vector<LONG>{options, pause, reserved, value}), (std::vector<LONG>{2, 0, 5, 3}));
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), 0x2, 0, 0, 0, 1, 3), E_INVALIDARG);
}

// Other kinds of file, judged through IsFileSupported and IsFileTypeReadable before AddFile,
// are EngineClientRealEngineTest's.
TEST_F(RecordingEngineTest, JudgesAudioFilesWithTheCodeOfTheirProblem) {
    Engine e = Create(Drive('R'));
    WavBuilder lying, rate48;
    lying.samples = rate48.samples = WavBuilder::Pattern(1000, 1);
    lying.dataSizeField = 1 << 20;
    rate48.sampleRate = 48000;
    WriteFile("lying.wav", lying.Bytes());
    WriteFile("rate48.wav", rate48.Bytes());
    WriteFile("text.wav", {'h', 'e', 'l', 'l', 'o'});
    const struct {
        const char* file;
        HRESULT add;
        BYTE supported, readable;
    } cases[] = {
        {"text.wav", RECORDING_E_UNREADABLE_FILE_TYPE, 1, 0},
        {"rate48.wav", S_OK, 1, 1}, // the reader refuses it, the decoder resamples it
        {"lying.wav", RECORDING_E_BAD_AUDIO_FILE, 1, 0},
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
    LONG count = 0;
    EXPECT_EQ(e.disc->GetTrackCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    Bstr text("x");
    EXPECT_EQ(e.disc->SetTrackText(2, text.get(), nullptr), E_INVALIDARG); // one past the last track
    EXPECT_EQ(e.disc->SetTrackText(-1, text.get(), nullptr), E_INVALIDARG);
    EXPECT_TRUE(e.Errors().empty()); // refused files are answers, not recording errors
}

TEST_F(RecordingEngineTest, LimitsTracksAndLength) {
    Engine e = Create(Drive('R') + Drive('S', "Capacity=1\n"));
    std::string shortWav = Wav("short.wav", 0.1);
    for (int i = 0; i < 99; ++i) ASSERT_EQ(Add(e, shortWav), S_OK) << i;
    EXPECT_EQ(Add(e, shortWav), RECORDING_E_TOO_MANY_TRACKS);
    LONG frames = 0;
    EXPECT_EQ(e.disc->GetSpaceNeeded(&frames), S_OK);
    EXPECT_EQ(frames, 150 + 99 * 300);
    EXPECT_EQ(e.disc->ClearLayout(), S_OK);

    Bstr oneMinuteDrive("S");
    ASSERT_EQ(e.engine->SetPreferredDevice(oneMinuteDrive.get()), S_OK);
    std::string half = Wav("half.wav", 30);
    EXPECT_EQ(Add(e, half), S_OK);
    EXPECT_EQ(Add(e, half), RECORDING_E_DISC_FULL); // 150 + 2 x 2250 frames > one minute
    EXPECT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
}

// Erasing in the background with its progress and events, and refusing a CD-R, are
// EngineClientRealEngineTest's.
TEST_F(RecordingEngineTest, ErasesARewritableDiscAndItsImage) {
    Engine e = Create(Drive('R', "Media=CD-RW\n"));
    ASSERT_EQ(Add(e, Wav("a.wav", 1)), S_OK);
    Burn(e);
    ComPtr<IRecordingDevice> device = e.Device(0);
    Listener events(device.get());
    ASSERT_EQ(device->Erase(0), S_OK);
    EXPECT_EQ(events->Get("", true), (Lines{"erase start 0", "erase end 0x00000000", "media 1", "tracks 0"}));
    Media m(device.get());
    ASSERT_EQ(m.hr, S_OK);
    EXPECT_TRUE(m.flags.blank && !m.flags.closed);
    EXPECT_EQ(m.capacity.freeFrames, 360000u);
    EXPECT_FALSE(ImageExists("disc.bin") || ImageExists("disc.cue"));
    m.flags.version = 0; // a record the engine does not know
    EXPECT_EQ(device->GetMediaInfo(&m.type, nullptr, &m.flags, &m.capacity), E_INVALIDARG);
    EXPECT_EQ(device->GetMediaInfo(&m.type, nullptr, nullptr, &m.capacity), S_OK);
}

TEST_F(RecordingEngineTest, ReportsChangesOfTheDriveFileAsEvents) {
    Engine e = Create(Drive('R', "Media=CD-R\n"));
    ComPtr<IRecordingDevice> device = e.Device(0);
    Listener events(device.get());
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
    Sleep(600); // a monitor pass sees nothing new
    EXPECT_EQ(events->Get(), expected);
}

} // namespace
