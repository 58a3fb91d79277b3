#include "recorder/ImageRecorder.h"

#include <gtest/gtest.h>

#include "engine/RecordingEngineTypes.h"
#include "recorder/MemorySink.h"
#include "recorder/MemorySource.h"
#include "tests/recorder/WavBuilder.h"

namespace {

// A clock that moves only when waited on, so that pacing is checked without timing.
class FakeWaiter : public Pacer::Waiter {
public:
    Pacer::Clock::time_point Now() override { return now_; }
    bool WaitUntil(Pacer::Clock::time_point deadline) override {
        deadlines.push_back(deadline - Pacer::Clock::time_point{});
        now_ = deadline;
        return deadlines.size() != interruptAt;
    }
    std::vector<Pacer::Clock::duration> deadlines;
    std::size_t interruptAt = 0; // 0: never

private:
    Pacer::Clock::time_point now_{};
};

class Recording : public ImageRecorder::Observer {
public:
    void OnTrackStart(std::size_t track) override { events.push_back("start " + std::to_string(track)); }
    void OnTrackEnd(std::size_t track) override { events.push_back("end " + std::to_string(track)); }
    std::int32_t OnChunk(const ImageRecorder::Progress& p) override {
        last = p;
        ++chunks;
        return chunks == stopAtChunk ? stopCode : 0;
    }
    std::vector<std::string> events;
    ImageRecorder::Progress last;
    int chunks = 0;
    int stopAtChunk = -1;
    std::int32_t stopCode = 0;
};

class ImageRecorderTest : public testing::Test {
protected:
    void AddTrack(std::size_t audioBytes, unsigned seed) {
        WavBuilder wav;
        wav.samples = WavBuilder::Pattern(audioBytes / 4, seed);
        audio_.push_back(wav.samples);
        files_.push_back(wav.Bytes());
    }
    SessionPlan Plan(WriteMethod method) {
        std::vector<std::uint64_t> bytes;
        for (const auto& a : audio_) bytes.push_back(a.size());
        return SessionPlan::Make(0, 1, bytes, method, 150);
    }
    ImageRecorder::OpenTrack Opener() {
        return [this](std::size_t i) { return std::make_unique<WavReader>(std::make_unique<MemorySource>(files_[i])); };
    }
    // The image as the plan says it must be: silence everywhere but the tracks' audio.
    std::vector<std::uint8_t> Expected(const SessionPlan& plan) {
        std::vector<std::uint8_t> image(plan.ImageBytes(), 0);
        for (std::size_t i = 0; i < plan.tracks.size(); ++i)
            std::copy(audio_[i].begin(), audio_[i].end(),
                      image.begin() + static_cast<std::ptrdiff_t>(plan.tracks[i].fileOffset + plan.tracks[i].pregapFrames * 2352ull));
        return image;
    }

    std::vector<std::vector<std::uint8_t>> audio_;
    std::vector<std::vector<std::uint8_t>> files_;
    FakeWaiter waiter_;
    Recording observer_;
};

TEST_F(ImageRecorderTest, WritesSilenceAudioAndPaddingWhereThePlanSays) {
    AddTrack(264600, 1);        // 1.5 s: padded to 4 s
    AddTrack(176400 * 5 + 8, 2); // a frame and a bit more than 5 s
    AddTrack(2352 * 700, 3);     // exactly whole frames, longer than one chunk
    for (WriteMethod method : {WriteMethod::DiscAtOnce, WriteMethod::TrackAtOnce}) {
        SCOPED_TRACE(static_cast<int>(method));
        SessionPlan plan = Plan(method);
        Pacer pacer(0, waiter_);
        MemorySink sink;
        observer_ = Recording();
        ASSERT_EQ(ImageRecorder(plan, Opener(), observer_, pacer).Write(&sink), 0);
        EXPECT_TRUE(sink.Bytes() == Expected(plan));
        EXPECT_EQ(observer_.events, (std::vector<std::string>{"start 0", "end 0", "start 1", "end 1", "start 2", "end 2"}));
        EXPECT_EQ(observer_.last.overallDone, plan.totalFrames);
        EXPECT_EQ(observer_.last.trackDone, observer_.last.trackTotal);
        EXPECT_TRUE(waiter_.deadlines.empty());
    }
}

TEST_F(ImageRecorderTest, StopsWhereTheObserverOrTheWaitSaysSo) {
    AddTrack(176400 * 20, 1);
    SessionPlan plan = Plan(WriteMethod::DiscAtOnce);
    {
        Pacer pacer(0, waiter_);
        MemorySink sink;
        observer_.stopAtChunk = 2;
        observer_.stopCode = RECORDING_E_BUFFER_UNDERRUN;
        EXPECT_EQ(ImageRecorder(plan, Opener(), observer_, pacer).Write(&sink), RECORDING_E_BUFFER_UNDERRUN);
        EXPECT_EQ(sink.Bytes().size(), std::size_t{Pacer::kUnpacedChunkFrames} * 2352); // the pregap, then up to the chunk size
    }
    {
        observer_ = Recording();
        waiter_.interruptAt = 3;
        Pacer pacer(8, waiter_);
        MemorySink sink;
        EXPECT_EQ(ImageRecorder(plan, Opener(), observer_, pacer).Write(&sink), RECORDING_E_CANCELLED);
        EXPECT_EQ(observer_.chunks, 3);
    }
}

TEST_F(ImageRecorderTest, PacesChunksToTheDriveSpeed) {
    AddTrack(176400 * 3, 1);
    SessionPlan plan = Plan(WriteMethod::DiscAtOnce); // 450 frames
    Pacer pacer(4, waiter_);                         // 300 frames a second
    EXPECT_EQ(pacer.ChunkFrames(), 37u);
    EXPECT_EQ(ImageRecorder(plan, Opener(), observer_, pacer).Write(nullptr), 0);
    ASSERT_EQ(waiter_.deadlines.size(), 14u); // 150 and 300 frames in chunks of 37
    EXPECT_EQ(waiter_.deadlines.front(), std::chrono::nanoseconds(37'000'000'000ull / 300));
    EXPECT_EQ(waiter_.deadlines.back(), std::chrono::milliseconds(1500));
    EXPECT_TRUE(std::is_sorted(waiter_.deadlines.begin(), waiter_.deadlines.end()));
    EXPECT_EQ(observer_.last.overallDone, 450u);
}

TEST_F(ImageRecorderTest, TurnsSourceAndSinkFailuresIntoItsOwn) {
    AddTrack(176400 * 10, 1);
    SessionPlan plan = Plan(WriteMethod::DiscAtOnce);
    Pacer pacer(0, waiter_);
    MemorySink small(1024 * 1024);
    EXPECT_THROW(ImageRecorder(plan, Opener(), observer_, pacer).Write(&small), ImageRecorder::image_write_failure);

    MemorySink sink;
    plan.tracks[0].audioBytes += 4; // the file no longer matches what was planned
    EXPECT_THROW(ImageRecorder(plan, Opener(), observer_, pacer).Write(&sink), ImageRecorder::audio_failure);

    auto missing = [](std::size_t) -> std::unique_ptr<WavReader> {
        FENNEL_THROW(MemorySink::full, "test", "the file is gone");
    };
    EXPECT_THROW(ImageRecorder(Plan(WriteMethod::DiscAtOnce), missing, observer_, pacer).Write(&sink),
                 ImageRecorder::audio_failure);
}

} // namespace
