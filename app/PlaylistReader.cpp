#include "app/PlaylistReader.h"

#include "app/CueSheetReader.h"

#include "app/MarkupScanner.h"
#include "support/TrimChars.h"
#include "support/Utf8.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Format = PlaylistReader::Format;
constexpr auto npos = std::string_view::npos;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kSpaces = " \t\r\n";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && StartsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindNoCase(std::string_view text, std::string_view what) {
    for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
        if (StartsWithNoCase(text.substr(i), what)) return i;
    }
    return npos;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == npos) return {};
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

std::string_view SkipSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    return first == npos ? std::string_view() : text.substr(first);
}

// The lines of the text: LF ends a line and a CR before it is dropped; nothing after a
// final LF makes no line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        std::string_view line = text.substr(start, lf == npos ? npos : lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (lf == npos) break;
        start = lf + 1;
    }
    return lines;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Non-ASCII text that is well-formed UTF-8: text in a single-byte code page seldom forms
// valid UTF-8 sequences, and ASCII reads the same either way.
bool IsUtf8NotAscii(std::string_view text) { return !IsAscii(text) && utf8::IsValid(text); }

// UTF-16 text as UTF-8, told by its byte-order mark or, without one, by the first bytes of
// an XML declaration; nothing for other text.
std::optional<std::string> FromUtf16(std::string_view content) {
    if (content.substr(0, 2) == "\xFF\xFE") return utf8::FromUtf16(content.substr(2), false);
    if (content.substr(0, 2) == "\xFE\xFF") return utf8::FromUtf16(content.substr(2), true);
    if (content.substr(0, 4) == std::string_view("<\0?\0", 4)) return utf8::FromUtf16(content, false);
    if (content.substr(0, 4) == std::string_view("\0<\0?", 4)) return utf8::FromUtf16(content, true);
    return std::nullopt;
}

// "Performer - Title", split at the first " - ": a playlist's usual way of naming both.
void SplitPerformer(std::string_view text, std::string_view& title, std::string_view& performer) {
    title = Trim(text);
    const std::size_t dash = title.find(" - ");
    performer = dash == npos ? std::string_view() : title.substr(0, dash);
    if (dash != npos) title = title.substr(dash + 3);
}

// "http:", "mms:", "a+b.c-d:": a letter, then letters, digits, '+', '.' or '-', two or more
// in all (so a drive letter is not one), then ':'.
bool HasScheme(std::string_view path) {
    if (path.empty() || !IsAlpha(path[0])) return false;
    std::size_t i = 1;
    for (; i < path.size(); ++i) {
        const char c = path[i];
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '.' && c != '-') break;
    }
    return i >= 2 && i < path.size() && path[i] == ':';
}

// "C:" or, in a file URI, "C|".
bool IsDriveForm(std::string_view text, bool bar = false) {
    return text.size() >= 2 && IsAlpha(text[0]) && (text[1] == ':' || (bar && text[1] == '|'));
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "%C3%A9" to its bytes; a '%' without two hex digits stays.
std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// A location relative to the playlist: percent-decoded, with backslashes.
std::string DecodedRelative(std::string_view location) {
    std::string path = PercentDecode(location);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// file:///C:/x/y.wav -> C:\x\y.wav, file://server/share/a.wav -> \\server\share\a.wav.
std::string FileUriPath(std::string_view uri) {
    std::string_view rest = uri.substr(5); // "file:"
    std::string path;
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        rest = slash == npos ? std::string_view() : rest.substr(slash);
        if (IsDriveForm(host, true)) {
            path = host;
        } else if (!host.empty() && !EqualsNoCase(host, "localhost")) {
            path = "//" + std::string(host);
        }
    }
    if (path.empty() && rest.size() >= 3 && rest[0] == '/' && IsDriveForm(rest.substr(1), true)) rest.remove_prefix(1);
    path += rest;
    if (IsDriveForm(path, true)) path[1] = ':';
    return DecodedRelative(path);
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    return last == npos ? std::string_view() : path.substr(0, last + 1);
}

// Collects the tracks of one playlist.
class Builder {
public:
    Builder(const std::string& path, bool utf8) : folder_(FolderOf(path)) { list.utf8 = utf8; }

    // path as the playlist writes it: a file:// URI becomes a path, another URI stays as
    // written, a relative path is joined to the playlist's folder. A path that is empty, or
    // holds a line break or a NUL (no file name can), adds nothing.
    // escaped: a relative path may hold %XX escapes, whose decoded form is kept as the entry's
    // other path.
    void Add(std::string_view written, std::string_view title = {}, std::string_view performer = {},
             bool escaped = false) {
        TrackEntry track;
        track.utf8 = list.utf8;
        if (StartsWithNoCase(written, "file:")) {
            track.path = FileUriPath(written);
            if (HasScheme(track.path)) return;
            // A URI's escapes stand for UTF-8 bytes, whatever the list's own code page.
            if (!track.utf8 && IsUtf8NotAscii(track.path) && IsAscii(title) && IsAscii(performer)) track.utf8 = true;
        } else {
            track.path = written;
            track.uri = HasScheme(written);
        }
        const bool rooted = track.path.empty() || track.path[0] == '\\' || track.path[0] == '/' ||
                            IsDriveForm(track.path);
        if (!track.uri && !rooted) {
            if (escaped && written.find('%') != npos) {
                track.decodedPath = folder_ + PercentDecode(written);
                if (track.decodedPath == folder_ + std::string(written) ||
                    track.decodedPath.find_first_of(std::string_view("\n\0", 2)) != npos) {
                    track.decodedPath.clear();
                }
            }
            track.path.insert(0, folder_);
        }
        if (track.path.empty() || track.path.find_first_of(std::string_view("\n\0", 2)) != npos) return;
        track.title = Trim(title);
        track.performer = Trim(performer);
        list.tracks.push_back(std::move(track));
    }
    void SetTitle(std::string_view text) { list.title = Trim(text); }
    void SetPerformer(std::string_view text) { list.performer = Trim(text); }

    Playlist list;

private:
    std::string folder_;
};

std::optional<Format> FormatOfContent(std::string_view content) {
    const std::optional<std::string> wide = FromUtf16(content);
    std::string_view text = wide ? std::string_view(*wide) : content;
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    text = SkipSpaces(text);
    if (StartsWithNoCase(text, "#EXTM3U")) return Format::M3u;
    if (StartsWithNoCase(text, "[playlist]")) return Format::Pls;
    // Markup: past the XML declaration, comments and other declarations.
    while (StartsWithNoCase(text, "<?xml") || text.substr(0, 2) == "<!") {
        const std::string_view close = text.substr(0, 4) == "<!--" ? "-->" : text[1] == '?' ? "?>" : ">";
        const std::size_t end = text.find(close, 2);
        if (end == npos) return std::nullopt;
        text = SkipSpaces(text.substr(end + close.size()));
    }
    if (StartsWithNoCase(text, "<asx")) return Format::EntryList;
    if (StartsWithNoCase(text, "<?wpl") || StartsWithNoCase(text, "<smil")) return Format::Wpl;
    if (StartsWithNoCase(text, "<playlist") && FindNoCase(text.substr(0, text.find('>')), "xspf") != npos) {
        return Format::Xspf;
    }
    return std::nullopt;
}

// Entry list: each line holding REF HREF gives the text from the first '"' after it to the
// end of the line, trimmed of '/', '>' and '"' (as the host has always read it). A TITLE or
// AUTHOR inside an ENTRY names the tracks of its lines; outside any, the playlist.
void ReadEntryList(std::string_view text, Builder& b) {
    struct Entry {
        std::size_t begin, end;
        std::string title, performer;
    };
    std::vector<Entry> entries;
    bool inEntry = false;
    MarkupScanner scanner(text, b.list.utf8);
    MarkupTag tag;
    while (scanner.Next(tag)) {
        if (tag.name == "entry") {
            if (inEntry) entries.back().end = tag.offset;
            inEntry = !tag.end && !tag.empty;
            if (inEntry) entries.push_back({tag.offset, text.size(), {}, {}});
        } else if (!tag.end && (tag.name == "title" || tag.name == "author")) {
            const bool title = tag.name == "title";
            std::string& target = !inEntry ? (title ? b.list.title : b.list.performer)
                                           : (title ? entries.back().title : entries.back().performer);
            target = Trim(tag.text);
        }
    }
    std::size_t e = 0;
    for (const std::string_view line : Lines(text)) {
        const std::size_t ref = FindNoCase(line, "REF HREF");
        const std::size_t quote = ref == npos ? npos : line.find('"', ref);
        if (quote == npos) continue;
        const std::size_t at = static_cast<std::size_t>(line.data() - text.data()) + ref;
        while (e < entries.size() && entries[e].end <= at) ++e;
        const bool inside = e < entries.size() && entries[e].begin < at;
        b.Add(TrimChars(std::string(line.substr(quote + 1)), "/>\""), inside ? entries[e].title : "",
              inside ? entries[e].performer : "");
    }
}

// M3U: #EXTINF:<seconds>,<text> names the next track ("Performer - Title" split),
// #PLAYLIST: the playlist; blanks before a '#' don't make a comment a path. Path lines follow
// the plain list's rule (more than two bytes, kept as written) since the host writes its
// plain lists as .m3u files; a relative one with %XX escapes also gets its decoded form.
void ReadM3u(std::string_view text, Builder& b) {
    std::string_view title, performer;
    for (const std::string_view line : Lines(text)) {
        const std::string_view directive = SkipSpaces(line);
        if (StartsWithNoCase(directive, "#EXTINF:")) {
            const std::size_t comma = directive.find(',');
            SplitPerformer(comma == npos ? std::string_view() : directive.substr(comma + 1), title, performer);
        } else if (StartsWithNoCase(directive, "#PLAYLIST:")) {
            b.SetTitle(directive.substr(10));
        } else if (line.size() > 2 && !directive.empty() && directive[0] != '#') {
            b.Add(line, title, performer, true);
            title = performer = {};
        }
    }
}

// PLS: FileN= and TitleN= in any order, tracks ordered by N from 1; other keys ignored.
void ReadPls(std::string_view text, Builder& b) {
    std::map<unsigned long, std::pair<std::string_view, std::string_view>> entries;
    for (const std::string_view line : Lines(text)) {
        const std::size_t equals = line.find('=');
        if (equals == npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        const bool file = StartsWithNoCase(key, "file");
        if (!file && !StartsWithNoCase(key, "title")) continue;
        const std::string_view digits = key.substr(file ? 4 : 5);
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != npos) continue;
        unsigned long n = 0;
        for (char c : digits) n = n * 10 + static_cast<unsigned long>(c - '0');
        if (n == 0) continue;
        (file ? entries[n].first : entries[n].second) = Trim(line.substr(equals + 1));
    }
    for (const auto& [n, entry] : entries) {
        std::string_view title, performer;
        SplitPerformer(entry.second, title, performer);
        if (!entry.first.empty()) b.Add(entry.first, title, performer);
    }
}

// WPL: <media src="..."> tracks, the head's <title> and <meta name="Author" content="...">.
void ReadWpl(std::string_view text, Builder& b) {
    MarkupScanner scanner(text, true);
    MarkupTag tag;
    bool inHead = false;
    while (scanner.Next(tag)) {
        if (tag.name == "head") {
            inHead = !tag.end && !tag.empty;
        } else if (tag.end) {
            continue;
        } else if (tag.name == "media") {
            b.Add(scanner.Attribute(tag, "src"));
        } else if (inHead && tag.name == "title") {
            b.SetTitle(tag.text);
        } else if (inHead && tag.name == "meta" && EqualsNoCase(scanner.Attribute(tag, "name"), "author")) {
            b.SetPerformer(scanner.Attribute(tag, "content"));
        }
    }
}

// XSPF: each <track>'s first <location>, <title> and <creator>; the playlist's own
// <title> and <creator> are its direct children. A location without a scheme is a relative
// URI: percent-decoded like a file:// one.
void ReadXspf(std::string_view text, Builder& b) {
    MarkupScanner scanner(text, true);
    MarkupTag tag;
    std::size_t depth = 0, trackDepth = 0;
    bool inTrack = false;
    std::string location, title, creator;
    while (scanner.Next(tag)) {
        if (tag.end) {
            if (tag.name == "track" && inTrack) {
                const std::string_view written = Trim(location);
                b.Add(HasScheme(written) ? std::string(written) : DecodedRelative(written), title, creator);
                inTrack = false;
            }
            if (depth > 0) --depth;
            continue;
        }
        const std::size_t level = depth + 1; // the root element is level 1
        if (tag.name == "track") {
            inTrack = !tag.empty;
            trackDepth = level;
            location.clear();
            title.clear();
            creator.clear();
        } else if (inTrack && level == trackDepth + 1) {
            if (tag.name == "location" && location.empty()) location = tag.text;
            if (tag.name == "title") title = tag.text;
            if (tag.name == "creator") creator = tag.text;
        } else if (!inTrack && level == 2) {
            if (tag.name == "title") b.SetTitle(tag.text);
            if (tag.name == "creator") b.SetPerformer(tag.text);
        }
        if (!tag.empty) ++depth;
    }
}

} // namespace

PlaylistReader::Format PlaylistReader::Detect(const std::string& path, const std::string& content) {
    if (const std::optional<Format> format = FormatOfContent(content)) return *format;
    if (CueSheetReader::LooksLikeCueSheet(content)) return Format::Cue;
    if (FindNoCase(path, ".asx") != npos) return Format::EntryList;
    const std::string_view name = std::string_view(path).substr(FolderOf(path).size());
    const std::size_t dot = name.rfind('.');
    const std::string_view extension = dot == npos ? std::string_view() : name.substr(dot);
    for (const auto& [known, format] : {std::pair<std::string_view, Format>{".m3u", Format::M3u},
                                        {".m3u8", Format::M3u},
                                        {".pls", Format::Pls},
                                        {".wpl", Format::Wpl},
                                        {".xspf", Format::Xspf},
                                        {".cue", Format::Cue}}) {
        if (extension.size() == known.size() && StartsWithNoCase(extension, known)) return format;
    }
    return Format::PlainList;
}

// Encodings: the other programs' formats (M3U, PLS, WPL, XSPF) may be UTF-16, told by a
// byte-order mark (or an XML declaration), and are read as UTF-8 then. XML formats are
// UTF-8; the others are UTF-8 after a byte-order mark (which is dropped) or as .m3u8, else
// the system code page. An M3U or PLS file without a mark is also taken as UTF-8 when its
// bytes are well-formed UTF-8 with some non-ASCII. The host's own lists (plain lists and
// entry lists) are read as the host has always written them.
Playlist PlaylistReader::Read(const std::string& path, const std::string& content) {
    const Format format = Detect(path, content);
    if (format == Format::Cue) return ReadCue(path, content);
    const bool hosts = format == Format::PlainList || format == Format::EntryList;
    const std::optional<std::string> wide = hosts ? std::nullopt : FromUtf16(content);
    std::string_view text = wide ? std::string_view(*wide) : std::string_view(content);
    const bool bom = text.substr(0, kBom.size()) == kBom;
    if (bom) text.remove_prefix(kBom.size());
    bool utf8 = wide || bom || format == Format::Wpl || format == Format::Xspf;
    if (format == Format::M3u) utf8 = utf8 || EndsWithNoCase(path, ".m3u8") || IsUtf8NotAscii(text);
    if (format == Format::Pls) utf8 = utf8 || IsUtf8NotAscii(text);
    Builder b(path, utf8);
    switch (format) {
    case Format::PlainList:
        for (const std::string_view line : Lines(text)) {
            if (line.size() > 2) b.Add(line);
        }
        break;
    case Format::EntryList: ReadEntryList(text, b); break;
    case Format::M3u: ReadM3u(text, b); break;
    case Format::Pls: ReadPls(text, b); break;
    case Format::Wpl: ReadWpl(text, b); break;
    case Format::Xspf: ReadXspf(text, b); break;
    case Format::Cue: break; // read above
    }
    return std::move(b.list);
}

Playlist PlaylistReader::ReadCue(const std::string& path, const std::string& content) {
    Playlist list;
    list.album = true;
    CueAlbum album;
    try {
        album = CueSheetReader::Read(path, content);
    } catch (const CueSheetReader::base_exception& e) {
        list.refusal = e.Context();
        return list;
    }
    list.title = album.title;
    list.performer = album.performer;
    list.utf8 = album.utf8;
    list.catalog = album.catalog;
    list.songwriter = album.songwriter;
    for (const CueAlbumTrack& track : album.tracks) {
        TrackEntry entry;
        for (const auto& [segments, pregap] : {std::pair{&track.pregap, true}, std::pair{&track.audio, false}})
            for (const CueSegment& segment : *segments)
                entry.segments.push_back({segment.file, segment.startFrame, segment.frames, pregap});
        // The track's file is its index 1's (a gap may lie in another file).
        for (const TrackSegment& segment : entry.segments)
            if (!segment.path.empty() && (entry.path.empty() || !segment.pregap)) {
                entry.path = segment.path;
                if (!segment.pregap) break;
            }
        entry.title = track.title;
        entry.performer = track.performer;
        entry.songwriter = track.songwriter;
        entry.isrc = track.isrc;
        entry.flags = (track.preEmphasis ? 1u : 0u) | (track.digitalCopy ? 2u : 0u) | (track.fourChannel ? 4u : 0u);
        entry.utf8 = album.utf8;
        list.tracks.push_back(std::move(entry));
    }
    return list;
}
