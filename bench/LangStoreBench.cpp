// Store fill from language files of 10 KB and 1 MB (beside plain reading of the same file),
// section load, key lookup and translation of a text with several keys (beside the same
// work on a std::unordered_map).
#include "lib/LangStrings/LangFile/LanguageFile.h"
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/LangStrings/LangStrings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A language file of about targetBytes: sections of 200 keys with texts of varied length,
// some with escapes.
std::string MakeLanguageText(std::size_t targetBytes) {
    std::string text = "<CODEPAGE 1252>\n";
    for (int key = 0; text.size() < targetBytes; ++key) {
        if (key % 200 == 0) text += "[Section" + std::to_string(key / 200) + "]\n";
        text += "IDS_KEY_" + std::to_string(key) + " = Text number " + std::to_string(key) +
                (key % 3 == 0 ? " with a line\\nbreak and a colon :" : " for a button") + "\n";
    }
    return text;
}

const std::string& LanguageFilePath(std::size_t bytes) {
    static std::unordered_map<std::size_t, std::string> paths;
    auto& path = paths[bytes];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() / ("bench" + std::to_string(bytes) + "-FN1033.lng")).string();
        std::ofstream(path, std::ios::binary) << MakeLanguageText(bytes);
    }
    return path;
}

std::size_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

void BM_ReadFile(benchmark::State& state) {
    const std::string& path = LanguageFilePath(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(FileSize(path), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(path)));
}

void BM_FillStore(benchmark::State& state) {
    const std::string& path = LanguageFilePath(static_cast<std::size_t>(state.range(0)));
    const std::size_t size = 2 * FileSize(path) + 12;
    std::vector<unsigned char> view(size);
    for (auto _ : state) {
        LanguageFile file(path);
        FillLanguageStore(view.data(), size, 0x0409, 1252, file);
        benchmark::DoNotOptimize(view.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(path)));
}

// A filled store of the 1 MB file, shared by the lookup benchmarks.
struct Filled {
    std::vector<unsigned char> view;
    std::shared_ptr<LanguageStore> store;
};

const Filled& FilledStore() {
    static const Filled filled = [] {
        Filled f;
        const std::string& path = LanguageFilePath(1 << 20);
        f.view.resize(2 * FileSize(path) + 12);
        LanguageFile file(path);
        FillLanguageStore(f.view.data(), f.view.size(), 0x0409, 1252, file);
        f.store = std::make_shared<LanguageStore>(f.view.data(), f.view.size(), path);
        return f;
    }();
    return filled;
}

void BM_LoadSection(benchmark::State& state) {
    const Filled& filled = FilledStore();
    for (auto _ : state) {
        LangSection section(filled.store, "section40");
        benchmark::DoNotOptimize(section.Size());
    }
    state.SetItemsProcessed(state.iterations() * 200);
}

const std::vector<std::string>& Keys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (int i = 8000; i < 8200; i += 7) k.push_back("IDS_KEY_" + std::to_string(i));
        return k;
    }();
    return keys;
}

std::unique_ptr<LangSectionSet> MakeSet() {
    auto set = std::make_unique<LangSectionSet>(FilledStore().store);
    set->AddSection("Section40"); // keys 8000 to 8199
    set->AddSection("Section0");
    return set;
}

std::unordered_map<std::string, std::string> MakeMap(const LangSectionSet& set) {
    std::unordered_map<std::string, std::string> map;
    for (const auto& section : set.Sections()) {
        for (int i = 0; i < 200; ++i) {
            for (int base : {0, 8000}) {
                const std::string key = "IDS_KEY_" + std::to_string(base + i);
                if (auto text = section->Lookup(key)) map.emplace(key, std::string(*text));
            }
        }
    }
    return map;
}

void BM_LookupLangSectionSet(benchmark::State& state) {
    const auto set = MakeSet();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(set->Lookup(Keys()[i++ % Keys().size()]));
    }
}

void BM_LookupUnorderedMap(benchmark::State& state) {
    const auto map = MakeMap(*MakeSet());
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.find(Keys()[i++ % Keys().size()]));
    }
}

const std::string kText = "{IDS_KEY_8001} - {IDS_KEY_8050}: {IDS_KEY_8100}, {IDS_KEY_12} and {IDS_KEY_8199}.";

void BM_TranslateLangSectionSet(benchmark::State& state) {
    const auto set = MakeSet();
    for (auto _ : state) {
        bool changed = false;
        benchmark::DoNotOptimize(set->Translate(kText, changed));
    }
}

// The same translation with an unordered_map as the lookup.
void BM_TranslateUnorderedMap(benchmark::State& state) {
    const auto map = MakeMap(*MakeSet());
    for (auto _ : state) {
        std::string result = kText;
        std::size_t open = result.find('{');
        while (open != std::string::npos) {
            const std::size_t close = result.find('}', open);
            if (close == std::string::npos) break;
            const auto it = map.find(result.substr(open + 1, close - open - 1));
            std::size_t next = close;
            if (it != map.end()) {
                result.replace(open, close - open + 1, it->second);
                next = open + it->second.size();
            }
            open = result.find('{', next);
        }
        benchmark::DoNotOptimize(result);
    }
}

} // namespace

BENCHMARK(BM_ReadFile)->Arg(10 << 10)->Arg(1 << 20);
BENCHMARK(BM_FillStore)->Arg(10 << 10)->Arg(1 << 20);
BENCHMARK(BM_LoadSection);
BENCHMARK(BM_LookupLangSectionSet);
BENCHMARK(BM_LookupUnorderedMap);
BENCHMARK(BM_TranslateLangSectionSet);
BENCHMARK(BM_TranslateUnorderedMap);
BENCHMARK_MAIN();
