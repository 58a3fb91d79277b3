#pragma once
// CueSheet: renders the cue sheet of an audio disc image: the disc's TITLE and PERFORMER,
// one FILE per session image (BINARY, 16-bit little-endian samples), TRACK nn AUDIO with its
// optional TITLE and PERFORMER, a "REM CRC32" of its audio when known, INDEX 00 where a
// pregap or pause precedes the track and INDEX 01 where its audio starts; positions relative
// to the FILE. A disc of several sessions gets "REM SESSION nn" before each FILE. CR LF line
// ends; texts in UTF-8. Stateless; any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// CD-Text of a disc or a track; an empty text gets no line.
struct CueText {
    std::string title;
    std::string performer;
    std::string songwriter = {}; // CD-Text only: the cue sheet has its own SONGWRITER lines
};

struct CueTrack {
    int number = 0;
    std::uint32_t pregapFrames = 0; // 0: no INDEX 00
    std::uint32_t fileFrame = 0;    // position of the track's first frame (its pregap) in the file
    std::string title;              // empty: no TITLE line
    std::string performer;          // empty: no PERFORMER line
    std::optional<std::uint32_t> crc; // CRC-32 of the image bytes from INDEX 01 to the track's end
    std::string isrc = {};            // empty: no ISRC line
    std::uint32_t flags = 0;          // RECORDING_TRACK_* as a FLAGS line
    std::string songwriter = {};      // empty: no SONGWRITER line
    std::vector<std::string> remarks = {}; // REM lines, each without "REM "
};

struct CueFile {
    std::string name; // file name beside the cue sheet
    int session = 1;
    std::vector<CueTrack> tracks;
};

class CueSheet {
public:
    // cdTextFile: the binary CD-Text file beside the sheet (CDTEXTFILE); empty: none. catalog
    // and songwriter: the disc's (CATALOG, SONGWRITER); empty: none.
    static std::string Render(const std::vector<CueFile>& files, const CueText& disc = {},
                              const std::string& cdTextFile = {}, const std::string& catalog = {},
                              const std::string& songwriter = {}, const std::vector<std::string>& remarks = {});
    // A text usable inside a quoted cue field: no double quotes, no control characters,
    // at most 80 bytes without splitting a UTF-8 sequence.
    static std::string QuotableText(const std::string& text);
    // A CRC as 8 upper-case hex digits.
    static std::string CrcText(std::uint32_t crc);
};
