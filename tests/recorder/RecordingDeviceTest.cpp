// One virtual drive through COM: erasing, and the events that report changes of the disc.
// The media records are DiscStateTest's, the media query's failures RecordingSessionTest's
// (at Prepare); speeds, a busy drive, the start-up delay and readiness after a delay are
// EngineClientRealEngineTest's and ReliabilityProcessTest's.
#include "tests/recorder/EngineFixture.h"

namespace {

class RecordingDeviceTest : public EngineFixture {};

template <class Done>
void WaitFor(Done done, int tries = 400) {
    for (int i = 0; i < tries && !done(); ++i) Sleep(10);
}

// Erasing in the background with its progress and events, and refusing a CD-R, are
// EngineClientRealEngineTest's.
TEST_F(RecordingDeviceTest, ErasesARewritableDiscAndItsImage) {
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

TEST_F(RecordingDeviceTest, ReportsChangesOfTheDriveFileAsEvents) {
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
        WaitFor([&] { return events->Get().size() >= expected.size(); }, 100);
        EXPECT_EQ(events->Get(), expected);
    }
    EXPECT_EQ(engineEvents->Get(), (Lines{"media 0", "media 1"}));
    Sleep(600); // a monitor pass sees nothing new
    EXPECT_EQ(events->Get(), expected);
}

} // namespace
