#pragma once
// PlaylistReader: recognises a playlist's format and reads its tracks and texts. Portable
// and stateless: it sees the playlist's path and bytes, never the file system.
#include "inc/TrackEntry.h"

#include <string>
#include <vector>

struct Playlist {
    std::vector<TrackEntry> tracks;
    std::string title;     // the disc's CD-Text title; empty when the playlist names none
    std::string performer; // the disc's CD-Text performer
    bool utf8 = false;     // title and performer are UTF-8, else the system code page
    // A CUE sheet's album: its tracks keep the sheet's gaps (disc-at-once only).
    bool album = false;
    std::string catalog;
    std::string songwriter;
    std::string refusal; // why a CUE sheet cannot be burned as written ("line 12: ..."); no tracks then
};

class PlaylistReader {
public:
    enum class Format { PlainList, EntryList, M3u, Pls, Wpl, Xspf, Cue };

    // By content first (a header a plain list of paths cannot start with), then by the
    // path: ".asx" anywhere in it (any case) gives an entry list, else the extension.
    static Format Detect(const std::string& path, const std::string& content);
    // Reads content as the playlist at path. Relative track paths are joined to the
    // playlist's folder; URIs other than file:// become entries with uri set. Never throws
    // for malformed content: what can't be read is skipped; a CUE sheet, which is burned as
    // written or not at all, is refused whole (Playlist::refusal).
    static Playlist Read(const std::string& path, const std::string& content);

private:
    static Playlist ReadCue(const std::string& path, const std::string& content);
};
