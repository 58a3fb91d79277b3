// EngineClient against the engine DLL of recorder/ and its virtual drives: connection,
// devices, a recording to an image, erasing and a busy drive. Cancelling and failed
// recordings are the scripted engine's cases (EngineClientTest), the engine's own faults
// are its tests'.
#include "engine/EngineClient.h"
#include "tests/engine/RecordingSink.h"

namespace {

class RealEngineTest : public EngineFixture {
protected:
    RecordingSink sink;
    EngineClientPtr client;

    void TearDown() override { client.reset(); }

    HRESULT Connect(const std::string& config) {
        UseConfig(config);
        client = EngineClientPtr::Attach(new EngineClient);
        client->SetEventSink(&sink);
        return client->Initialize("engine client tests", 0);
    }
    void AddTracks(const std::vector<std::pair<std::string, double>>& files) {
        for (const auto& [name, seconds] : files) {
            LONG index = -1;
            const HRESULT hr = client->AddTrack(Wav(name, seconds), &index);
            ASSERT_EQ(hr, S_OK) << name << ": " << Hex(hr);
        }
    }
    // The events that don't depend on timing: no progress (9, 13), stage ends (10), brief
    // stages, device notifications (0, 1) or track start percentages.
    Lines Steady() const {
        Lines out = sink.Get([](int slot, const std::string& line) {
            return slot > 1 && slot != 9 && slot != 10 && slot != 13 && (slot != 8 || (line >= "8 4" && line <= "8 6"));
        });
        for (std::string& line : out)
            if (line.rfind("12 ", 0) == 0) line.erase(line.rfind(" p="));
        return out;
    }
};

TEST_F(RealEngineTest, ConnectsListsDevicesAndRecordsAnImage) {
    ASSERT_EQ(Connect(Drive('R', "Paced=1\nWriteSpeeds=48,24\n") + Drive('S', "Writes=none\n")), S_OK);
    LONG count = 0, index = -1;
    char letter = 0;
    EXPECT_EQ(client->GetDeviceCount(&count), S_OK);
    EXPECT_EQ(client->GetCurrentDeviceIndex(&index), S_OK);
    EXPECT_EQ(client->GetCurrentDeviceLetter(&letter), S_OK);
    EXPECT_EQ(std::to_string(count) + " " + std::to_string(index) + " " + letter, "2 0 R");
    DeviceHandle* device = nullptr;
    ASSERT_EQ(client->GetDevice(0, &device), S_OK);
    std::vector<std::uint16_t> reads, writes;
    EXPECT_EQ(device->GetSpeeds(RECORDING_MEDIA_CD_R, reads, writes), S_OK);
    EXPECT_EQ(writes, (std::vector<std::uint16_t>{48, 24}));
    ASSERT_EQ(client->SetWriteSpeed(48), S_OK);
    LONG speed = 0;
    EXPECT_EQ(client->GetWriteSpeed(&speed), S_OK);
    EXPECT_EQ(speed, 48);

    AddTracks({{"a.wav", 12}, {"b.wav", 12}});
    EXPECT_EQ(client->Record(), S_OK);
    client.reset();
    EXPECT_EQ(Steady(), (Lines{"6", "6", "8 4", "8 5", "12 t=0 a.wav", "14 t=0 a.wav p=100", "12 t=1 b.wav", "8 6",
                               "14 t=1 b.wav p=100", "19"}));
    EXPECT_TRUE(ImageExists("disc.cue"));
}

TEST_F(RealEngineTest, ErasesOnlyARewritableDiscWithProgress) {
    const struct {
        const char* media;
        HRESULT expected;
        Lines events;
    } cases[] = {
        {"CD-RW", S_OK, {"2", "3 100", "5"}},
        {"CD-R", RECORDING_E_MEDIA_NOT_REWRITABLE, {"4 0x800410DB"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.media);
        SetUp();
        sink.Clear();
        ASSERT_EQ(Connect(Drive('R', std::string("Media=") + c.media + "\n")), S_OK);
        DeviceHandle* device = nullptr;
        ASSERT_EQ(client->GetCurrentDevice(&device), S_OK);
        const HRESULT hr = device->EraseDiscWithProgress();
        EXPECT_EQ(hr, c.expected) << Hex(hr);
        client.reset();
        // Percentages below 100 depend on when the erase was asked.
        EXPECT_EQ(sink.Get([](int slot, const std::string& line) {
            return slot >= 2 && slot <= 5 && (slot != 3 || line == "3 100");
        }), c.events);
    }
}

TEST_F(RealEngineTest, ABusyDriveIsAskedAgainUpToItsRetries) {
    const struct {
        const char* keys;
        HRESULT speeds;
    } cases[] = {
        {"Fault.BusyCount=3\n", S_OK},    // asked again while busy
        {"Fault.BusyCount=12\n", E_FAIL}, // busy beyond the retries
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        SetUp();
        ASSERT_EQ(Connect(Drive('R', std::string("WriteSpeeds=24\n") + c.keys)), S_OK);
        DeviceHandle* device = nullptr;
        ASSERT_EQ(client->GetDevice(0, &device), S_OK);
        std::vector<std::uint16_t> reads, writes;
        const HRESULT hr = device->GetSpeeds(RECORDING_MEDIA_CD_R, reads, writes);
        EXPECT_EQ(hr, c.speeds) << Hex(hr);
        EXPECT_EQ(writes, SUCCEEDED(c.speeds) ? std::vector<std::uint16_t>{24} : std::vector<std::uint16_t>{});
    }
}

TEST_F(RealEngineTest, ARecordingFinishedBetweenTwoPollsEndsEveryTrackOnce) {
    ASSERT_EQ(Connect(Drive('R')), S_OK);
    AddTracks({{"a.wav", 1}, {"b.wav", 1}});
    EXPECT_EQ(client->Record(), S_OK);
    client.reset();
    // Usually no poll sees a stage; whether one did depends on timing.
    EXPECT_EQ(sink.Get([](int slot, const std::string&) { return slot == 14 || slot == 19; }),
              (Lines{"14 t=0 a.wav p=100", "14 t=1 b.wav p=100", "19"}));
    EXPECT_EQ(sink.Get([](int slot, const std::string& line) { return slot == 10 && line.find('-') != line.npos; }),
              Lines{}) << "a stage ended that never started";
}

} // namespace
