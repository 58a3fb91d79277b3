// Fuzzes the CUE sheet reader: the input is the sheet's content. A sheet it reads must hold
// what the burn relies on; a refusal must be one of its own.
#include "app/CueSheetReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckSegments(const std::vector<CueSegment>& segments) {
    for (const CueSegment& s : segments) {
        Check(!s.frames || *s.frames > 0);
        Check(!s.file.empty() || (s.frames && s.startFrame == 0));
        Check(s.file.find('\0') == std::string::npos && s.file.find_first_of("\r\n") == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    CueSheetReader::LooksLikeCueSheet(content);
    CueAlbum album;
    try {
        album = CueSheetReader::Read("C:\\Music\\album.cue", content);
    } catch (const CueSheetReader::base_exception& e) {
        Check(std::string(e.Context()).rfind("line ", 0) == 0);
        return 0;
    }
    Check(!album.tracks.empty() && album.tracks.size() <= 99);
    for (std::size_t i = 0; i < album.tracks.size(); ++i) {
        const CueAlbumTrack& track = album.tracks[i];
        Check(track.number >= 1 && track.number <= 99 && track.number == album.tracks[0].number + static_cast<int>(i));
        Check(!track.audio.empty() && !track.audio[0].file.empty());
        Check(track.title.size() <= 1024 && track.performer.size() <= 1024 && track.songwriter.size() <= 1024);
        Check(track.isrc.empty() || track.isrc.size() == 12);
        CheckSegments(track.pregap);
        CheckSegments(track.audio);
    }
    return 0;
}
