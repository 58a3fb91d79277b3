#pragma once
// CueSheetReader: reads a CUE sheet into the album it describes: per track the ranges of
// its audio files (cut frame-accurately at the sheet's indexes), the silences it asks for,
// its flags and its CD-Text. Portable and stateless: it sees the sheet's path and bytes,
// never the file system, so a range that runs to its file's end is left open for the
// engine, which knows the files' lengths. Any thread.
//
// Track 1's pregap holds only what the sheet puts before its INDEX 01: PREGAP silence and
// the audio from the start of the first file (a hidden track); usually it is empty. The two
// seconds a disc needs before track 1 are the engine's to add.
#include "support/ContextException.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A range of one file in CD frames (1/75 s, 588 stereo samples), or silence.
struct CueSegment {
    std::string file;                    // joined to the sheet's folder; empty: silence
    std::uint64_t startFrame = 0;        // in the file; 0 for silence
    std::optional<std::uint64_t> frames; // empty: to the file's end (never for silence); else > 0
};

struct CueAlbumTrack {
    int number = 0;                 // as the sheet numbers it: 1 to 99, consecutive
    std::vector<CueSegment> pregap; // INDEX 00 to INDEX 01: PREGAP silence, then the sheet's audio
    std::vector<CueSegment> audio;  // INDEX 01 to the next track's first index, then POSTGAP silence
    std::string title;              // CD-Text as written (up to 1024 bytes); empty when none
    std::string performer;
    std::string songwriter;
    std::string isrc;          // 12 characters, letters upper case; empty when none
    bool preEmphasis = false;  // FLAGS PRE
    bool digitalCopy = false;  // FLAGS DCP
    bool fourChannel = false;  // FLAGS 4CH
    std::vector<std::string> remarks; // the track's REM lines, from "REM" to the line's end
    std::uint32_t lineNumber = 0;     // of its TRACK command
};

struct CueAlbum {
    std::string title; // the disc's CD-Text as written; empty when none
    std::string performer;
    std::string songwriter;
    std::string catalog;               // 13 digits; empty when none
    std::string cdTextFile;            // CDTEXTFILE joined to the sheet's folder; never read
    std::vector<CueAlbumTrack> tracks; // at least one, each with audio
    bool utf8 = false;                 // texts and file names are UTF-8, else the system code page
    std::vector<std::string> remarks;  // REM lines before the first TRACK, e.g. "REM GENRE Rock"
};

class CueSheetReader {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    // The context of both starts with the line it concerns: "line 12: INDEX 01 before TRACK".
    FENNEL_EXCEPTION(malformed, base_exception);   // a sheet that cannot be burnt as written
    FENNEL_EXCEPTION(unsupported, base_exception); // data tracks or raw data files: no audio CD

    // Past a byte-order mark and blank or REM lines, the first command is one a sheet starts
    // with (FILE, CATALOG, CDTEXTFILE, PERFORMER, TITLE, SONGWRITER), and a TRACK follows a FILE.
    static bool LooksLikeCueSheet(const std::string& content);
    // Reads content as the sheet at path. UTF-8 after a byte-order mark or when its bytes are
    // well-formed UTF-8 with some non-ASCII (UTF-16 with a mark is read as UTF-8), else the
    // system code page, kept as bytes. Unknown commands are skipped; throws malformed or
    // unsupported.
    static CueAlbum Read(const std::string& path, const std::string& content);
};
