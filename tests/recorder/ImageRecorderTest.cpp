// Audio that no longer matches the plan, and reading the image back (the layout, cancelling
// and write failures are checked through the engine).
#include "recorder/ImageRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

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
    void OnTrackEnd(std::size_t) override { ++ended; }
    std::int32_t OnChunk(const ImageRecorder::Progress& p) override { return last = p, 0; }
    ImageRecorder::Progress last;
    std::size_t ended = 0;
};

// Tracks of the given lengths as WAV files in memory, planned disc-at-once.
struct Tracks {
    explicit Tracks(std::initializer_list<double> seconds) {
        std::vector<std::uint64_t> bytes;
        for (double s : seconds) {
            WavBuilder wav;
            wav.samples = WavBuilder::Pattern(static_cast<std::size_t>(s * 44100), static_cast<unsigned>(files.size() + 1));
            files.push_back(wav.Bytes());
            bytes.push_back(wav.samples.size());
        }
        plan = SessionPlan::Make(0, 1, bytes, WriteMethod::DiscAtOnce, 150);
    }
    ImageRecorder::OpenTrack Opener() const {
        return [this](std::size_t i) { return std::make_unique<WavReader>(std::make_unique<MemorySource>(files[i])); };
    }
    std::vector<std::vector<std::uint8_t>> files;
    SessionPlan plan;
};

// The image as the read-back sees it while the writer goes on: the first keep bytes written,
// with the byte at flip inverted. Written and read on different threads.
class ReadBackImage : public ByteSink {
public:
    ReadBackImage(std::size_t flip, std::size_t keep) : flip_(flip), keep_(keep) {}
    void Write(const void* data, std::size_t size) override {
        std::lock_guard lock(mutex_);
        bytes_.insert(bytes_.end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    }
    void Flush() override {}
    std::vector<std::uint8_t> Bytes() {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    ImageRecorder::OpenImage Opener() {
        struct Source : ByteSource {
            explicit Source(ReadBackImage& image) : image_(image) {}
            std::uint64_t Size() const override { return 0; }
            std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
                std::lock_guard lock(image_.mutex_);
                std::size_t end = std::min(image_.bytes_.size(), image_.keep_);
                if (offset >= end) return 0;
                std::size_t count = std::min<std::size_t>(size, end - static_cast<std::size_t>(offset));
                auto* out = static_cast<std::uint8_t*>(buffer);
                std::memcpy(out, image_.bytes_.data() + offset, count);
                if (image_.flip_ >= offset && image_.flip_ < offset + count) out[image_.flip_ - offset] ^= 1;
                return count;
            }
            ReadBackImage& image_;
        };
        return [this] { return std::make_unique<Source>(*this); };
    }

private:
    std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
    std::size_t flip_, keep_;
};

TEST(ImageRecorderTest, RefusesAudioThatNoLongerMatchesThePlan) {
    Tracks track{10};
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

// The first track is longer than the reader's blocks, so that it is read while being written.
TEST(ImageRecorderTest, ReadsEachTrackBackAndComparesItsCrcBeforeTheTrackEnds) {
    Tracks tracks{30, 10};
    NoWaiter waiter;
    Pacer pacer(0, waiter);
    auto indexOne = [&](std::size_t i) {
        return tracks.plan.tracks[i].fileOffset + std::size_t{tracks.plan.tracks[i].pregapFrames} * 2352;
    };
    const std::size_t end1 = tracks.plan.tracks[1].fileOffset, end = tracks.plan.ImageBytes();
    ASSERT_EQ(indexOne(1), end1); // disc-at-once: back to back
    ASSERT_GT(end1 - indexOne(0), ImageVerifier::kBlockBytes);
    const struct {
        std::size_t flip, keep; // a byte to invert in what is read back, the bytes read back
        int failing;            // the track that fails (1-based), 0 when none
    } cases[] = {{0, end, 0},    {indexOne(0) - 1, end, 0}, {indexOne(0), end, 1},          {end1 - 1, end, 1},
                 {end1, end, 2}, {end - 1, end, 2},         {0, indexOne(0) + 100, 1}, {0, end - 1, 2}};
    for (const auto& c : cases) {
        ReadBackImage image(c.flip, c.keep);
        Observer observer;
        ImageRecorder recorder(tracks.plan, tracks.Opener(), observer, pacer, image.Opener());
        if (c.failing) {
            try {
                recorder.Write(&image);
                ADD_FAILURE() << "no failure with " << c.flip << " " << c.keep;
            } catch (const ImageRecorder::verify_failure& e) {
                EXPECT_EQ(std::string(e.Context()).rfind("track " + std::to_string(c.failing) + ": ", 0), 0u) << e.Context();
                EXPECT_EQ(observer.ended, static_cast<std::size_t>(c.failing - 1)) << c.flip << " " << c.keep;
            }
            continue;
        }
        EXPECT_EQ(recorder.Write(&image), 0);
        const std::vector<std::uint8_t> bytes = image.Bytes();
        std::vector<std::uint32_t> crcs;
        for (auto [from, to] : {std::pair{indexOne(0), end1}, std::pair{indexOne(1), end}}) {
            Crc32 crc;
            crc.Update(bytes.data() + from, to - from);
            crcs.push_back(crc.Value());
        }
        EXPECT_EQ(recorder.TrackCrcs(), crcs);
    }
}

} // namespace
