// The engine's real recorders through COM as a client sees them, with the recording API's
// stand-in (tests/standin) playing the system's recorders: which drives the engine lists, the
// disc events of a recorder, and a write stopped by Abort.
#include <algorithm>
#include <thread>

#include "common/StandIn.h"
#include "common/WaitUntil.h"
#include "tests/recorder/EngineFixture.h"

namespace {

using testsupport::StandIn;

class RealRecorderTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        ASSERT_TRUE(StandIn::Register()) << "GetLastError() = " << GetLastError();
    }
    static std::string Name(const Engine& e, LONG index) {
        WCHAR letter = 0;
        Bstr name;
        EXPECT_EQ(e.Device(index)->GetName(&letter, name.put()), S_OK);
        return std::string(1, static_cast<char>(letter)) + ": " + name.Narrow();
    }
};

// Without the API (its classes not registered, as under Wine), or hidden by the drive file, the
// engine's drives are the file's alone; otherwise each recorder follows them and is preferred.
TEST_F(RealRecorderTest, RecordersAreDrivesBesideTheDriveFilesUnlessHidden) {
    const struct {
        bool api;
        std::string engine; // [Engine] lines
        std::vector<std::string> drives;
        std::string preferred;
    } rows[] = {
        {false, "", {"R: Virtual"}, "R:"},
        {true, "", {"R: Virtual", "E: FENNEL Test Writer"}, "E:"},
        {true, "PreferredDrive=R\n", {"R: Virtual", "E: FENNEL Test Writer"}, "R:"},
        {true, "RealRecorders=0\n", {"R: Virtual"}, "R:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.engine + (row.api ? "with the API" : "without the API"));
        ASSERT_TRUE(StandIn::Register(row.api));
        StandIn recorder(temp_->Path(), "Media=CD-R\r\n");
        Engine e = Create("[Engine]\n" + row.engine + Drive('R', "Name=Virtual\n"));
        LONG count = 0;
        ASSERT_EQ(e.engine->GetDeviceCount(&count), S_OK);
        std::vector<std::string> drives;
        for (LONG i = 0; i < count; ++i) drives.push_back(Name(e, i));
        EXPECT_EQ(drives, row.drives);
        Bstr preferred;
        ASSERT_EQ(e.engine->GetPreferredDevice(preferred.put()), S_OK);
        EXPECT_EQ(preferred.Narrow(), row.preferred);
    }
    EXPECT_TRUE(StandIn::Register());
}

// A disc put into the recorder while the engine runs is told as the virtual drives tell it,
// and the media query then answers from the recorder.
TEST_F(RealRecorderTest, ADiscPutInLaterIsToldAsAMediaChange) {
    StandIn recorder(temp_->Path(), "Media=none\r\n");
    Engine e = Create("[Engine]\n");
    ComPtr<IRecordingDevice> device = e.Device(0);
    EXPECT_EQ(Media(device.get()).hr, RECORDING_E_NO_MEDIA);
    Listener events(device.get(), IID_IRecordingDeviceEvents);
    Listener engineEvents(e.engine.get());
    StandIn inserted(temp_->Path(), "Media=CD-RW\r\nTracks=2\r\nUsedSectors=30000\r\n");
    for (int i = 0; i < 300 && engineEvents->Get().empty(); ++i) Sleep(10);
    EXPECT_EQ(events->Get(), (Lines{"media 1", "tracks 2"}));
    EXPECT_EQ(engineEvents->Get(), (Lines{"media 1"}));
    Media disc(device.get());
    ASSERT_EQ(disc.hr, S_OK);
    EXPECT_EQ(disc.type, RECORDING_MEDIA_CD_RW);
    EXPECT_TRUE(disc.flags.rewritable && disc.flags.hasAudioTracks && !disc.flags.blank && !disc.flags.closed);
    EXPECT_EQ(disc.capacity.freeFrames, 360000u - 30000u);
}

// Abort from another thread stops the recorder's write; the disc is left to the recorder.
TEST_F(RealRecorderTest, AbortStopsTheRecordersWrite) {
    StandIn recorder(temp_->Path(), "Media=CD-R\r\nSectorsPerSecond=1500\r\n"); // 20x: a 30 s track takes 1.5 s
    Engine e = Create("[Engine]\n");
    ASSERT_EQ(e.disc->SetCDCreationParams(Bstr("Recorder:StandIn:1").get(), RECORDING_OPTION_AUDIO_DISC,
                                            RecordingSpeedMask(16), 150, 0, 1, 1),
              S_OK);
    ASSERT_EQ(Add(e, Wav("long.wav", 30)), S_OK);
    Listener events(e.engine.get());
    ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
    std::thread abort([&] {
        // The track starts with the recorder's first progress report, inside its write.
        testsupport::WaitUntil([&] {
            const Lines seen = events->Get(true);
            return std::find(seen.begin(), seen.end(), "start 0") != seen.end();
        }, 5000);
        e.disc->Abort();
    });
    EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), RECORDING_E_CANCELLED);
    abort.join();
    EXPECT_EQ(events->Get(true), (Lines{"start 0", "end 0 0x80041771"}));
    const Lines log = recorder.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "cancel"), log.end()) << testing::PrintToString(log);
    EXPECT_EQ(std::find(log.begin(), log.end(), "finalize 1"), log.end()) << "the disc was closed";
}

// An album's own gaps reach the recorder's raw stream as they reach an image: a hidden track in
// track 1's pregap and a gap with audio before track 2, the file's audio unbroken.
TEST_F(RealRecorderTest, AnAlbumsGapsReachTheRawStream) {
    StandIn recorder(temp_->Path(), "Media=CD-R\r\n");
    Engine e = Create("[Engine]\n");
    ASSERT_EQ(e.disc->SetCDCreationParams(nullptr, RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO,
                                          RecordingSpeedMask(16), 150, 0, 0, 1),
              S_OK);
    const Bstr album(Wav("album.wav", 14)); // 1050 frames
    LONG t1 = -1, t2 = -1;
    ASSERT_EQ(e.disc->AddFileRange(album.get(), 300, 300, &t1), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t1, RECORDING_PART_PREGAP, album.get(), 0, 300), S_OK);
    ASSERT_EQ(e.disc->AddFileRange(album.get(), 675, RECORDING_FRAMES_TO_END, &t2), S_OK);
    ASSERT_EQ(e.disc->AddTrackPart(t2, RECORDING_PART_PREGAP, album.get(), 600, 75), S_OK);
    Burn(e);
    std::ifstream wav(Path("album.wav"), std::ios::binary);
    const std::string pcm = std::string(std::istreambuf_iterator<char>(wav), {}).substr(44);
    EXPECT_TRUE(recorder.Read("standin-1-raw.pcm") == pcm) << "the program area differs from the album";
    EXPECT_EQ(recorder.Read("standin-1-raw.toc"), "0 01 00\n300 01 01\n600 02 00\n675 02 01\n1050 AA 01\n");
}

// Each refusal comes before anything is written, and each failure of the recorder reaches the
// error list with the engine's code and the recorder's own.
TEST_F(RealRecorderTest, RecorderFailuresBecomeEngineErrors) {
    const LONG dao = RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO, tao = RECORDING_OPTION_AUDIO_DISC;
    const struct {
        std::string script;
        LONG options;
        LONG pause;
        HRESULT prepare, record; // record: only when prepared
        std::string error;       // the start of the last error's text
    } rows[] = {
        {"LockedBy=Other Burner\r\n", dao, 150, RECORDING_E_DEVICE_BUSY, S_OK, "0x80041773 The drive is busy. Other Burner is "
                                                                           "using the recorder (recorder result 0xC0AA0210)"},
        {"Closed=1\r\nTracks=1\r\nUsedSectors=9000\r\n", tao, 150, RECORDING_E_DISC_CLOSED, S_OK, "0x80041776"},
        {"Tracks=1\r\nUsedSectors=9000\r\n", dao, 150, RECORDING_E_DISC_CLOSED, S_OK, "0x80041776"},
        {"Raw=0\r\n", dao, 150, RECORDING_E_PREPARE_REFUSED, S_OK, "0x80041778"},
        {"", tao, 300, RECORDING_E_PREPARE_REFUSED, S_OK, "0x80041778"},
        {"Media=CD-ROM\r\n", tao, 150, RECORDING_E_DISC_CLOSED, S_OK, "0x80041776"},
        {"FailAtPercent=50\r\n", tao, 150, S_OK, RECORDING_E_BUFFER_UNDERRUN, "0x80041899 The drive's buffer ran empty "
                                                                          "while writing (buffer underrun). "},
        {"FailAtPercent=90\r\nFailCode=0xC0AA02FF\r\n", dao, 150, S_OK, RECORDING_E_RECORDER_FAILED,
         "0x80041780 The recorder failed a command."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        SetUp();
        StandIn recorder(temp_->Path(), row.script);
        Engine e = Create("[Engine]\n");
        ASSERT_EQ(e.disc->SetCDCreationParams(nullptr, row.options, RecordingSpeedMask(16), row.pause, 0, 0, 1), S_OK);
        ASSERT_EQ(Add(e, Wav("a.wav", 4)), S_OK);
        EXPECT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), row.prepare);
        if (row.prepare == S_OK) {
            EXPECT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), row.record);
        }
        const Lines errors = e.Errors();
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back().rfind(row.error, 0), 0u) << errors.back();
        if (row.prepare != S_OK) {
            for (const std::string& line : recorder.Log()) EXPECT_NE(line.rfind("prepare", 0), 0u) << line;
        }
    }
}

} // namespace
