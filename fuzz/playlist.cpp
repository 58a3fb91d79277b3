// Fuzzes the playlist reader. The first byte chooses the playlist's path (its folder and
// extension; the seeds use the digits '0' to '7'), the rest is the content.
#include "app/PlaylistReader.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

bool StartsWithScheme(const std::string& path) {
    const std::size_t colon = path.find(':');
    if (colon < 2 || colon == std::string::npos) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = path[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kPaths[] = {"C:\\lists\\a.txt", "C:\\lists\\a.asx",  "a.m3u",  "D:/lists/a.m3u8",
                                         "\\\\srv\\s\\a.pls", "C:\\lists\\a.wpl", "a.xspf", "/lists/list"};
    if (size == 0) return 0;
    const Playlist list = PlaylistReader::Read(kPaths[data[0] % std::size(kPaths)],
                                               std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    for (const TrackEntry& track : list.tracks) {
        const std::string& path = track.path;
        if (path.empty() || path.find('\n') != std::string::npos || path.find('\0') != std::string::npos) {
            __builtin_trap();
        }
        if (!track.uri && StartsWithScheme(path)) __builtin_trap();
        if (track.decodedPath.find_first_of(std::string("\n\0", 2)) != std::string::npos) __builtin_trap();
    }
    return 0;
}
