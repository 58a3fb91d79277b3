// Audio that no longer matches the plan, and reading the image back (the layout, cancelling
// and write failures are checked through the engine).
#include "recorder/ImageRecorder.h"

#include <gtest/gtest.h>

#include "engine/RecordingEngineTypes.h"
#include "recorder/MemorySink.h"
#include "recorder/MemorySource.h"
#include "recorder/WavReader.h"
#include "tests/recorder/WavBuilder.h"

namespace {

// Never asked: the pacers here write as fast as they can.
class NoWaiter : public Pacer::Waiter {
public:
    Pacer::Clock::time_point Now() override { return {}; }
    bool WaitUntil(Pacer::Clock::time_point) override { return true; }
};

class Observer : public ImageRecorder::Observer {
public:
    void OnTrackStart(std::size_t) override {}
    void OnTrackEnd(std::size_t) override {}
    std::int32_t OnChunk(const ImageRecorder::Progress& p) override { return last = p, 0; }
    ImageRecorder::Progress last;
};

struct OneTrack {
    explicit OneTrack(double seconds) {
        WavBuilder wav;
        wav.samples = WavBuilder::Pattern(static_cast<std::size_t>(seconds * 44100), 1);
        file = wav.Bytes();
        plan = SessionPlan::Make(0, 1, {wav.samples.size()}, WriteMethod::DiscAtOnce, 150);
    }
    ImageRecorder::OpenTrack Opener() const {
        return [this](std::size_t) { return std::make_unique<WavReader>(std::make_unique<MemorySource>(file)); };
    }
    std::vector<std::uint8_t> file;
    SessionPlan plan;
};

TEST(ImageRecorderTest, RefusesAudioThatNoLongerMatchesThePlan) {
    OneTrack track(10);
    NoWaiter waiter;
    Observer observer;
    Pacer pacer(0, waiter);
    MemorySink sink;
    SessionPlan longer = track.plan;
    longer.tracks[0].audioBytes += 4;
    EXPECT_THROW(ImageRecorder(longer, track.Opener(), observer, pacer).Write(&sink), ImageRecorder::audio_failure);
    auto missing = [](std::size_t) -> std::unique_ptr<WavReader> { FENNEL_THROW(MemorySink::full, "test", "gone"); };
    EXPECT_THROW(ImageRecorder(track.plan, missing, observer, pacer).Write(&sink), ImageRecorder::audio_failure);
}

TEST(ImageRecorderTest, ReadsEachTrackBackAndComparesItsCrc) {
    OneTrack track(10);
    NoWaiter waiter;
    Observer observer;
    Pacer pacer(0, waiter);
    const std::size_t indexOne = 150 * 2352, end = track.plan.ImageBytes();
    const struct {
        std::size_t flip, keep; // a byte to invert in what is read back, the bytes read back
        bool passes;
    } cases[] = {{0, end, true}, {indexOne - 1, end, true}, {indexOne, end, false}, {end - 1, end, false},
                 {0, end - 1, false}};
    for (const auto& c : cases) {
        MemorySink sink;
        std::vector<std::uint8_t> image;
        auto readBack = [&] {
            image.assign(sink.Bytes().begin(), sink.Bytes().begin() + static_cast<std::ptrdiff_t>(c.keep));
            if (c.flip < image.size()) image[c.flip] ^= 1;
            return std::make_unique<MemorySource>(image);
        };
        ImageRecorder recorder(track.plan, track.Opener(), observer, pacer, readBack);
        if (!c.passes) {
            EXPECT_THROW(recorder.Write(&sink), ImageRecorder::verify_failure) << c.flip << " " << c.keep;
            continue;
        }
        EXPECT_EQ(recorder.Write(&sink), 0);
        Crc32 crc;
        crc.Update(sink.Bytes().data() + indexOne, end - indexOne);
        EXPECT_EQ(recorder.TrackCrcs(), std::vector<std::uint32_t>{crc.Value()});
    }
}

} // namespace
