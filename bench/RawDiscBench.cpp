// The raw disc-at-once stream a real recorder pulls: each 2448-byte sector's main channel
// from the plan's audio and its subcode (table of contents and CD-Text in the lead-in), for a
// 74-minute disc of 20 tracks with CD-Text. Reported as bytes per second and as the recording
// speed ("x", 75 sectors a second) the stream could feed; a recorder needs at most 52x.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "recorder/CdTextPacks.h"
#include "recorder/PlanAudioReader.h"
#include "recorder/RawDiscImage.h"
#include "recorder/RedBook.h"

namespace {

// Audio of a given length in a cheap pattern.
class PatternSource final : public AudioSource {
public:
    explicit PatternSource(std::uint64_t bytes) : left_(bytes), total_(bytes) {}
    std::uint64_t OutputBytes() const override { return total_; }
    std::size_t Read(std::uint8_t* output, std::size_t size) override {
        std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size & ~std::size_t{3}, left_));
        std::memset(output, static_cast<int>(left_ & 0xFF), count);
        left_ -= count;
        return count;
    }

private:
    std::uint64_t left_;
    const std::uint64_t total_;
};

void RawDiscStream(benchmark::State& state) {
    const std::uint64_t trackBytes = std::uint64_t{RedBook::kFrameBytes} * 74 * 60 * 75 / 20;
    const std::vector<std::uint64_t> bytes(20, trackBytes);
    const SessionPlan plan = SessionPlan::Make(0, 1, bytes, WriteMethod::DiscAtOnce, RedBook::kPauseFrames);
    std::vector<CueText> texts;
    for (int i = 0; i < 20; ++i) texts.push_back({"Track title number " + std::to_string(i + 1), "A performer"});
    const RawDiscImage image(plan, CdTextPacks::Build({"An album", "A performer"}, texts, 1));
    std::vector<std::uint8_t> sector(RawDiscImage::kSectorBytes);
    std::uint64_t sectors = 0;
    for (auto _ : state) {
        PlanAudioReader audio(plan, [&](std::size_t) { return std::make_unique<PatternSource>(trackBytes); }, 0, 19, true);
        for (std::uint64_t s = 0; s < image.SectorCount(); ++s) {
            if (image.AreaOf(s) == RawDiscImage::Area::Program)
                audio.Read(sector.data(), RedBook::kFrameBytes);
            else
                std::memset(sector.data(), 0, RedBook::kFrameBytes);
            image.Subcode(s, sector.data() + RedBook::kFrameBytes);
            benchmark::DoNotOptimize(sector.data());
        }
        sectors += image.SectorCount();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(sectors * RawDiscImage::kSectorBytes));
    state.counters["x"] = benchmark::Counter(static_cast<double>(sectors) / 75, benchmark::Counter::kIsRate);
}
BENCHMARK(RawDiscStream)->Unit(benchmark::kMillisecond);

} // namespace
