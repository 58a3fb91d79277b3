// How fast the program reads its configuration: Encryption::Decrypt and Certificate::Parse
// over the shipped configuration and over one a hundred times larger (the shipped fields
// repeated under other names), each beside memcpy of the same bytes.
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string ShippedText() {
    std::ifstream in(FENNEL_SOURCE_DIR "/config/Fennel.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().empty()) throw std::runtime_error("config/Fennel.txt not found");
    return text.str();
}

// The shipped text with every field present `copies` times under names ending in _1, _2, ...
std::string Enlarged(const std::string& shipped, int copies) {
    if (copies == 1) return shipped;
    std::vector<std::string> lines;
    std::istringstream in(shipped);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::string text = "&PICKY&\n";
    const std::string define = "&DEFINE_FIELD& ";
    for (int k = 1; k <= copies; ++k) {
        for (const std::string& line : lines) {
            if (line.empty() || line == "&PICKY&") continue;
            const std::size_t nameStart = line.rfind(define, 0) == 0 ? define.size() : 0;
            std::size_t nameEnd = line.find(" =", nameStart);
            if (nameEnd == std::string::npos) nameEnd = line.size();
            text += line.substr(0, nameEnd) + "_" + std::to_string(k) + line.substr(nameEnd) + "\n";
        }
    }
    return text;
}

struct Sample {
    std::string file;
    std::string publicKey;
};

const Sample& SampleOf(int copies) {
    static std::map<int, Sample> samples;
    auto it = samples.find(copies);
    if (it == samples.end()) {
        SystemRandom random;
        const SigningKey key = SigningKey::Generate(random);
        const std::string text = Enlarged(ShippedText(), copies);
        CertificateMaker::CheckText(text);
        it = samples.emplace(copies, Sample{CertificateMaker::Make(text, key, random), key.PublicKeyText()}).first;
    }
    return it->second;
}

void BM_DecryptAndParse(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    std::vector<char> buffer(sample.file.size());
    Certificate certificate;
    for (auto _ : state) {
        std::memcpy(buffer.data(), sample.file.data(), buffer.size());
        std::size_t length = buffer.size();
        Encryption::Decrypt(buffer.data(), length, sample.publicKey.c_str());
        certificate.Parse(buffer.data(), length);
        benchmark::DoNotOptimize(certificate.GetFieldAsNumber("MaxBurnSpeed_1"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.file.size()));
    state.counters["file_bytes"] = static_cast<double>(sample.file.size());
}

void BM_Decrypt(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    std::vector<char> buffer(sample.file.size());
    for (auto _ : state) {
        std::memcpy(buffer.data(), sample.file.data(), buffer.size());
        std::size_t length = buffer.size();
        Encryption::Decrypt(buffer.data(), length, sample.publicKey.c_str());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.file.size()));
}

void BM_Memcpy(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    std::vector<char> buffer(sample.file.size());
    for (auto _ : state) {
        std::memcpy(buffer.data(), sample.file.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.file.size()));
}

} // namespace

// Argument: how many times the shipped fields appear.
BENCHMARK(BM_DecryptAndParse)->Arg(1)->Arg(100);
BENCHMARK(BM_Decrypt)->Arg(1)->Arg(100);
BENCHMARK(BM_Memcpy)->Arg(1)->Arg(100);
