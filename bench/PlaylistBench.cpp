// PlaylistReader::Read over about 4 MB of each format, and over malformed texts shaped to
// punish a scan that searches again from the start (lone '<' and '&', an open quote, tags
// nested deeply, unterminated comments).
#include "app/PlaylistReader.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

std::string Repeat(const std::string& head, const std::string& unit) {
    std::string text = head;
    while (text.size() < (4u << 20)) text += unit;
    return text;
}

void BM_Read(benchmark::State& state, const char* path, const std::string& content) {
    for (auto _ : state) benchmark::DoNotOptimize(PlaylistReader::Read(path, content));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * content.size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_Read, plain, "C:\\l\\a.txt", Repeat("", "C:\\Music\\Artist\\Track.wma\r\n"));
BENCHMARK_CAPTURE(BM_Read, entry_list, "C:\\l\\a.asx",
                  Repeat("<ASX>\r\n", "<ENTRY><TITLE>T</TITLE>\r\n<REF HREF=\"x.wma\"/>\r\n</ENTRY>\r\n"));
BENCHMARK_CAPTURE(BM_Read, m3u, "C:\\l\\a.m3u", Repeat("#EXTM3U\r\n", "#EXTINF:1,Artist - Title\r\nx.mp3\r\n"));
BENCHMARK_CAPTURE(BM_Read, pls, "C:\\l\\a.pls", Repeat("[playlist]\r\n", "File1=x.mp3\r\nTitle1=T\r\n"));
BENCHMARK_CAPTURE(BM_Read, wpl, "C:\\l\\a.wpl", Repeat("<?wpl?><smil><body><seq>", "<media src=\"a&amp;b.mp3\"/>"));
BENCHMARK_CAPTURE(BM_Read, xspf, "C:\\l\\a.xspf",
                  Repeat("<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>",
                         "<track><location>file:///C:/a%20b.mp3</location><title>T</title></track>"));
BENCHMARK_CAPTURE(BM_Read, lone_lt, "C:\\l\\a.asx", Repeat("", "<"));
BENCHMARK_CAPTURE(BM_Read, open_quote, "C:\\l\\a.asx", Repeat("<a \"", "<ENTRY>"));
BENCHMARK_CAPTURE(BM_Read, lone_amp, "C:\\l\\a.wpl", Repeat("<smil><head><title>", "&#"));
BENCHMARK_CAPTURE(BM_Read, nested, "C:\\l\\a.xspf", Repeat("<playlist xmlns=\"http://xspf.org/ns/0/\">", "<track>"));
BENCHMARK_CAPTURE(BM_Read, comments, "C:\\l\\a.wpl", Repeat("", "<!--"));
