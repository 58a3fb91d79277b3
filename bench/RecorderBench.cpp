// Disc image writing speed. ImageVersusCopy writes ten WAV files (700 MB of audio in all
// unless --total_mb says otherwise) as an unpaced disc-at-once image, and copies the same
// files' bytes into one file with the same buffer size on the same disk, --rounds times
// (5) in alternating order; the program ends by printing the median times and their ratio.
// PacedWrite writes 20 seconds of audio at 48x and reports the share of the wall time the
// writing thread spent on the processor.
//   recorder_bench [--total_mb=N] [--rounds=N] [--dir=PATH] [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "recorder/ImageRecorder.h"
#include "recorder/RedBook.h"
#include "recorder/StdioFile.h"
#include "recorder/WavReader.h"

namespace {

std::uint64_t g_totalBytes = 700ull * 1000 * 1000;
std::filesystem::path g_dir = std::filesystem::path(FENNEL_BINARY_DIR) / "bench-tmp" / "recorder";
std::vector<std::string> g_files;
std::vector<std::uint64_t> g_audioBytes;
double g_writeSeconds = 0, g_copySeconds = 0;
int g_rounds = 5;

constexpr int kTracks = 10;
constexpr std::size_t kHeaderBytes = 44;

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 16-bit stereo WAV file of audioBytes, kept for later runs when it exists.
std::string MakeWav(const std::string& name, std::uint64_t audio) {
    std::string path = (g_dir / name).string();
    std::error_code error;
    if (std::filesystem::file_size(path, error) == audio + kHeaderBytes) return path;
    std::uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                         16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0,
                                         4, 0, 16, 0, 'd', 'a', 't', 'a'};
    PutLe32(header + 4, static_cast<std::uint32_t>(audio + 36));
    PutLe32(header + 40, static_cast<std::uint32_t>(audio));
    std::vector<std::uint8_t> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    StdioFile file = StdioFile::Create(path);
    file.Write(header, sizeof header);
    for (std::uint64_t left = audio; left > 0;) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        file.Write(block.data(), n);
        left -= n;
    }
    file.Flush();
    return path;
}

// Ten files of equal length.
void MakeFiles() {
    std::filesystem::create_directories(g_dir);
    std::uint64_t audio = g_totalBytes / kTracks / 4 * 4;
    for (int t = 0; t < kTracks; ++t) {
        g_files.push_back(MakeWav("track" + std::to_string(t) + ".wav", audio));
        g_audioBytes.push_back(audio);
    }
}

class NoWait : public Pacer::Waiter {
public:
    bool WaitUntil(Pacer::Clock::time_point) override { return true; }
};

class SleepWait : public Pacer::Waiter {
public:
    bool WaitUntil(Pacer::Clock::time_point deadline) override {
        std::this_thread::sleep_until(deadline);
        return true;
    }
};

class Quiet : public ImageRecorder::Observer {
public:
    void OnTrackStart(std::size_t) override {}
    void OnTrackEnd(std::size_t) override {}
    std::int32_t OnChunk(const ImageRecorder::Progress& p) override {
        benchmark::DoNotOptimize(p.overallDone);
        return 0;
    }
};

ImageRecorder::OpenTrack Opener() {
    return [](std::size_t i) {
        return std::make_unique<WavReader>(std::make_unique<StdioFile>(StdioFile::OpenRead(g_files.at(i))));
    };
}

double WriteImageOnce(const SessionPlan& plan, const std::string& out) {
    auto start = std::chrono::steady_clock::now();
    {
        NoWait waiter;
        Pacer pacer(0, waiter);
        Quiet observer;
        StdioFile sink = StdioFile::Create(out);
        if (ImageRecorder(plan, Opener(), observer, pacer).Write(&sink) != 0) std::abort();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(out);
    return seconds;
}

double CopyOnce(const std::string& out) {
    std::vector<std::uint8_t> buffer(std::size_t{Pacer::kUnpacedChunkFrames} * RedBook::kFrameBytes);
    auto start = std::chrono::steady_clock::now();
    {
        StdioFile sink = StdioFile::Create(out);
        for (const std::string& path : g_files) {
            StdioFile source = StdioFile::OpenRead(path);
            std::uint64_t offset = 0;
            while (std::size_t n = source.ReadAt(offset, buffer.data(), buffer.size())) {
                sink.Write(buffer.data(), n);
                offset += n;
            }
        }
        sink.Flush();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(out);
    return seconds;
}

// One image and one copy per iteration, in alternating order, so that both meet the same
// state of the page cache and of the disk's write-back; the medians are reported.
void ImageVersusCopy(benchmark::State& state) {
    SessionPlan plan = SessionPlan::Make(0, 1, g_audioBytes, WriteMethod::DiscAtOnce, 150);
    std::string image = (g_dir / "image.bin").string(), copy = (g_dir / "copy.bin").string();
    std::vector<double> writes, copies;
    for (auto _ : state) {
        if (writes.size() % 2 == 0) {
            writes.push_back(WriteImageOnce(plan, image));
            copies.push_back(CopyOnce(copy));
        } else {
            copies.push_back(CopyOnce(copy));
            writes.push_back(WriteImageOnce(plan, image));
        }
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    g_writeSeconds = median(writes);
    g_copySeconds = median(copies);
    state.counters["write_s"] = g_writeSeconds;
    state.counters["copy_s"] = g_copySeconds;
    state.counters["ratio"] = g_writeSeconds / g_copySeconds;
    state.counters["image_MB"] = static_cast<double>(plan.ImageBytes()) / 1e6;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void PacedWrite(benchmark::State& state) {
    const unsigned speed = 48;
    const std::uint64_t audio = 20ull * RedBook::kBytesPerSecond;
    std::string wav = MakeWav("paced.wav", audio);
    SessionPlan plan = SessionPlan::Make(0, 1, {audio}, WriteMethod::DiscAtOnce, 150);
    std::string out = (g_dir / "paced.bin").string();
    auto open = [&](std::size_t) { return std::make_unique<WavReader>(std::make_unique<StdioFile>(StdioFile::OpenRead(wav))); };
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        SleepWait waiter;
        Pacer pacer(speed, waiter);
        Quiet observer;
        StdioFile sink = StdioFile::Create(out);
        double cpuStart = ThreadCpuSeconds();
        auto wallStart = std::chrono::steady_clock::now();
        if (ImageRecorder(plan, open, observer, pacer).Write(&sink) != 0) state.SkipWithError("write failed");
        cpu += ThreadCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    std::filesystem::remove(out);
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["speed_x"] = speed;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--total_mb=", 11) == 0)
            g_totalBytes = std::stoull(argv[i] + 11) * 1000 * 1000;
        else if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            g_rounds = std::max(1, std::stoi(argv[i] + 9));
        else if (std::strncmp(argv[i], "--dir=", 6) == 0)
            g_dir = argv[i] + 6;
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    MakeFiles();
    benchmark::RegisterBenchmark("ImageVersusCopy", ImageVersusCopy)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(g_rounds)
        ->UseRealTime();
    benchmark::RegisterBenchmark("PacedWrite", PacedWrite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    if (g_copySeconds > 0 && g_writeSeconds > 0)
        std::printf("image of %llu MB of audio: write %.3f s, copy %.3f s, write/copy %.2f\n",
                    static_cast<unsigned long long>(g_totalBytes / 1000000), g_writeSeconds, g_copySeconds,
                    g_writeSeconds / g_copySeconds);
    benchmark::Shutdown();
    return 0;
}
