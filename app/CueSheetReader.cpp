#include "app/CueSheetReader.h"

#include "support/Utf8.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using malformed = CueSheetReader::malformed;
using unsupported = CueSheetReader::unsupported;
constexpr auto npos = std::string_view::npos;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";
constexpr std::size_t kMaxText = 1024; // far beyond CD-Text; more is no text a sheet means

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperAlpha(char c) { return c >= 'A' && c <= 'Z'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    for (const std::string_view w : words) {
        if (EqualsNoCase(word, w)) return true;
    }
    return false;
}

std::string_view SkipBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    return first == npos ? std::string_view() : text.substr(first);
}

std::string_view Trim(std::string_view text) {
    text = SkipBlanks(text);
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

// Takes the first word off text, and the blanks after it.
std::string_view NextWord(std::string_view& text) {
    text = SkipBlanks(text);
    const std::size_t end = text.find_first_of(kBlanks);
    const std::string_view word = text.substr(0, end);
    text = end == npos ? std::string_view() : SkipBlanks(text.substr(end));
    return word;
}

// CR LF, LF and CR each end a line; nothing after the last line break makes no line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        lines.push_back(text.substr(start, end == npos ? npos : end - start));
        if (end == npos) break;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The sheet's text without its byte-order mark; UTF-16 with a mark becomes UTF-8.
std::string Decode(std::string_view content, bool& isUtf8) {
    isUtf8 = true;
    if (content.substr(0, 2) == "\xFF\xFE") return utf8::FromUtf16(content.substr(2), false);
    if (content.substr(0, 2) == "\xFE\xFF") return utf8::FromUtf16(content.substr(2), true);
    const bool bom = content.substr(0, kBom.size()) == kBom;
    if (bom) content.remove_prefix(kBom.size());
    // ASCII reads the same in any code page; a single-byte code page's text seldom forms
    // well-formed UTF-8.
    bool ascii = true;
    for (const char c : content) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    isUtf8 = bom || (!ascii && utf8::IsValid(content));
    return std::string(content);
}

// The value of 1 to maxDigits decimal digits; -1 for anything else.
long Digits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return -1;
    long value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// mm:ss:ff in frames: up to 999 minutes, seconds below 60, frames below 75.
std::optional<std::uint64_t> Frames(std::string_view text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == npos ? npos : text.find(':', first + 1);
    if (second == npos) return std::nullopt;
    const long minutes = Digits(text.substr(0, first), 3);
    const long seconds = Digits(text.substr(first + 1, second - first - 1), 2);
    const long frames = Digits(text.substr(second + 1), 2);
    if (minutes < 0 || seconds < 0 || seconds >= 60 || frames < 0 || frames >= 75) return std::nullopt;
    return static_cast<std::uint64_t>((minutes * 60 + seconds) * 75 + frames);
}

std::string TwoDigits(long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

bool IsRooted(std::string_view path) {
    return path[0] == '\\' || path[0] == '/' ||
           (path.size() >= 2 && path[1] == ':' && IsUpperAlpha(Upper(path[0])));
}

// A place in the sheet's audio: the files one after another.
struct Position {
    std::size_t file;
    std::uint64_t frame;
    auto operator<=>(const Position&) const = default;
};

// What a track's commands say beyond its CueAlbumTrack fields.
struct TrackMarks {
    std::optional<Position> index0, index1;
    long lastNumber = -1; // of its last INDEX
    std::optional<std::uint64_t> pregap, postgap;
};

// Reads the sheet one line at a time, then lays the tracks out.
class Parser {
public:
    Parser(const std::string& path, bool isUtf8) {
        const std::size_t last = path.find_last_of("\\/");
        folder_ = last == npos ? std::string() : path.substr(0, last + 1);
        album_.utf8 = isUtf8;
    }

    void Line(std::string_view text, std::uint32_t number);
    CueAlbum Finish(std::uint32_t lastLine);

private:
    struct File {
        std::string name;
        std::uint32_t line;
        bool indexed = false;
    };

    [[noreturn]] static void FailAt(std::uint32_t line, const std::string& what, bool refusal = false) {
        const std::string context = "line " + std::to_string(line) + ": " + what;
        if (refusal) FENNEL_THROW(unsupported, "CueSheetReader::Read()", context.c_str());
        FENNEL_THROW(malformed, "CueSheetReader::Read()", context.c_str());
    }
    [[noreturn]] void Fail(const std::string& what) const { FailAt(line_, what); }
    [[noreturn]] void Refuse(const std::string& what) const { FailAt(line_, what, true); }

    void ReadFile(std::string_view rest);
    void ReadTrack(std::string_view rest);
    void ReadIndex(std::string_view rest);
    std::string Text(std::string_view command, std::string_view rest) const;
    std::uint64_t Gap(std::string_view command, std::string_view rest, std::optional<std::uint64_t> seen) const;
    CueAlbumTrack& Current(std::string_view command);
    void CheckLastFile() const;
    void CheckLastTrack() const;
    void AppendRange(Position from, Position to, std::vector<CueSegment>& out) const;

    std::string folder_;
    CueAlbum album_;
    std::vector<TrackMarks> marks_; // one per track of album_
    std::vector<File> files_;
    std::optional<Position> lastPosition_;
    std::uint32_t line_ = 0;
};

void Parser::Line(std::string_view text, std::uint32_t number) {
    line_ = number;
    std::string_view rest = text;
    const std::string_view command = NextWord(rest);
    if (command.empty()) return;
    std::string CueAlbumTrack::*trackText = nullptr;
    std::string CueAlbum::*albumText = nullptr;
    if (EqualsNoCase(command, "REM")) {
        (album_.tracks.empty() ? album_.remarks : album_.tracks.back().remarks).emplace_back(Trim(text));
    } else if (EqualsNoCase(command, "FILE")) {
        ReadFile(rest);
    } else if (EqualsNoCase(command, "TRACK")) {
        ReadTrack(rest);
    } else if (EqualsNoCase(command, "INDEX")) {
        ReadIndex(rest);
    } else if (EqualsNoCase(command, "PREGAP") || EqualsNoCase(command, "POSTGAP")) {
        Current(command); // refuses a gap before TRACK
        std::optional<std::uint64_t>& gap =
            EqualsNoCase(command, "PREGAP") ? marks_.back().pregap : marks_.back().postgap;
        gap = Gap(command, rest, gap);
    } else if (EqualsNoCase(command, "CATALOG")) {
        const std::string_view digits = NextWord(rest);
        if (digits.size() != 13 || digits.find_first_not_of("0123456789") != npos) Fail("CATALOG is not 13 digits");
        album_.catalog = digits;
    } else if (EqualsNoCase(command, "ISRC")) {
        CueAlbumTrack& track = Current(command);
        std::string code(NextWord(rest));
        for (char& c : code) c = Upper(c);
        bool valid = code.size() == 12;
        for (std::size_t i = 0; valid && i < code.size(); ++i) {
            const char c = code[i];
            valid = i < 2 ? IsUpperAlpha(c) : i < 5 ? IsUpperAlpha(c) || IsDigit(c) : IsDigit(c);
        }
        if (!valid) Fail("ISRC is not CCOOOYYSSSSS (country, owner, year, serial)");
        track.isrc = std::move(code);
    } else if (EqualsNoCase(command, "FLAGS")) {
        CueAlbumTrack& track = Current(command);
        for (std::string_view flag = NextWord(rest); !flag.empty(); flag = NextWord(rest)) {
            if (EqualsNoCase(flag, "DATA")) Refuse("FLAGS DATA: a data track");
            track.preEmphasis = track.preEmphasis || EqualsNoCase(flag, "PRE");
            track.digitalCopy = track.digitalCopy || EqualsNoCase(flag, "DCP");
            track.fourChannel = track.fourChannel || EqualsNoCase(flag, "4CH");
        }
    } else if (EqualsNoCase(command, "CDTEXTFILE")) {
        album_.cdTextFile = Text(command, rest);
        if (!album_.cdTextFile.empty() && !IsRooted(album_.cdTextFile)) album_.cdTextFile.insert(0, folder_);
    } else if (EqualsNoCase(command, "TITLE")) {
        trackText = &CueAlbumTrack::title;
        albumText = &CueAlbum::title;
    } else if (EqualsNoCase(command, "PERFORMER")) {
        trackText = &CueAlbumTrack::performer;
        albumText = &CueAlbum::performer;
    } else if (EqualsNoCase(command, "SONGWRITER")) {
        trackText = &CueAlbumTrack::songwriter;
        albumText = &CueAlbum::songwriter;
    }
    if (trackText) {
        (album_.tracks.empty() ? album_.*albumText : album_.tracks.back().*trackText) = Text(command, rest);
    }
}

// FILE "name" type: the type is the word after the closing quote. Without quotes the last
// word is the type when it is a known one and the words before it (blanks included) are the
// name; any other last word could be the end of a name with blanks and is refused. A name
// alone is a whole FILE command either way.
void Parser::ReadFile(std::string_view rest) {
    CheckLastFile();
    std::string name;
    std::string_view type;
    if (!rest.empty() && rest[0] == '"') {
        name = Text("FILE", rest);
        rest.remove_prefix(rest.rfind('"') + 1);
        type = NextWord(rest);
    } else {
        rest = Trim(rest);
        const std::size_t blank = rest.find_last_of(kBlanks);
        name = Trim(rest.substr(0, blank));
        type = blank == npos ? std::string_view() : rest.substr(blank + 1);
        if (!type.empty() && !IsOneOf(type, {"WAVE", "MP3", "AIFF", "BINARY", "MOTOROLA"})) {
            Fail("FILE name with blanks and no quotes, or an unknown file type");
        }
    }
    if (name.empty()) Fail("FILE without a name");
    if (name.find('\0') != npos) Fail("FILE name holds a NUL byte");
    if (IsOneOf(type, {"BINARY", "MOTOROLA"})) {
        Refuse("FILE \"" + name + "\" is raw data; an audio CD takes audio files");
    }
    if (!IsRooted(name)) name.insert(0, folder_);
    files_.push_back({std::move(name), line_});
}

void Parser::ReadTrack(std::string_view rest) {
    if (files_.empty()) Fail("TRACK before FILE");
    const std::string_view written = NextWord(rest);
    const long number = Digits(written, 3);
    if (number < 1 || number > 99) Fail("TRACK number \"" + std::string(written) + "\" is not 1 to 99");
    if (!album_.tracks.empty() && number != album_.tracks.back().number + 1) {
        Fail("TRACK " + TwoDigits(number) + " after TRACK " + TwoDigits(album_.tracks.back().number));
    }
    const std::string_view type = NextWord(rest);
    if (type.empty()) Fail("TRACK " + TwoDigits(number) + " without a type");
    if (!EqualsNoCase(type, "AUDIO")) {
        Refuse("TRACK " + TwoDigits(number) + " is " + std::string(type) + ", not AUDIO");
    }
    CheckLastTrack();
    CueAlbumTrack track;
    track.number = static_cast<int>(number);
    track.lineNumber = line_;
    album_.tracks.push_back(std::move(track));
    marks_.emplace_back();
}

// INDEX nn mm:ss:ff: 00 or 01 first, then each the next number; no index lies before the
// one ahead of it in the same file.
void Parser::ReadIndex(std::string_view rest) {
    const std::string_view written = NextWord(rest);
    const long number = Digits(written, 2);
    if (number < 0) Fail("INDEX number \"" + std::string(written) + "\" is not 00 to 99");
    const std::string name = "INDEX " + TwoDigits(number);
    if (album_.tracks.empty()) Fail(name + " before TRACK");
    const std::string_view time = NextWord(rest);
    const std::optional<std::uint64_t> frame = Frames(time);
    if (!frame) Fail(name + " at \"" + std::string(time) + "\": not mm:ss:ff (seconds below 60, frames below 75)");
    TrackMarks& marks = marks_.back();
    if (marks.lastNumber < 0 ? number > 1 : number != marks.lastNumber + 1) {
        Fail(name + " out of order (" + (marks.lastNumber < 0 ? "00 or 01" : TwoDigits(marks.lastNumber + 1)) +
             " expected)");
    }
    const Position at{files_.size() - 1, *frame};
    if (lastPosition_ && at < *lastPosition_) {
        Fail(name + " at " + std::string(time) + " lies before the index ahead of it");
    }
    if (number == 0) marks.index0 = at;
    if (number == 1) marks.index1 = at;
    lastPosition_ = at;
    marks.lastNumber = number;
    files_.back().indexed = true;
}

// A quoted text up to the line's last quote (quotes inside stay), or the rest of the line.
std::string Parser::Text(std::string_view command, std::string_view rest) const {
    rest = Trim(rest);
    if (!rest.empty() && rest[0] == '"') {
        const std::size_t close = rest.rfind('"');
        if (close == 0) Fail(std::string(command) + " with an unterminated quote");
        rest = rest.substr(1, close - 1);
    }
    if (rest.size() > kMaxText) Fail(std::string(command) + " longer than " + std::to_string(kMaxText) + " bytes");
    return std::string(rest);
}

// PREGAP or POSTGAP mm:ss:ff, once per track.
std::uint64_t Parser::Gap(std::string_view command, std::string_view rest,
                          std::optional<std::uint64_t> seen) const {
    if (seen) Fail("second " + std::string(command) + " in TRACK " + TwoDigits(album_.tracks.back().number));
    const std::string_view time = NextWord(rest);
    const std::optional<std::uint64_t> frames = Frames(time);
    if (!frames) Fail(std::string(command) + " \"" + std::string(time) + "\": not mm:ss:ff");
    return *frames;
}

// The track a track's command belongs to.
CueAlbumTrack& Parser::Current(std::string_view command) {
    if (album_.tracks.empty()) Fail(std::string(command) + " before TRACK");
    return album_.tracks.back();
}

// A file without an index would be glued, whole, to whichever track runs through it.
void Parser::CheckLastFile() const {
    if (!files_.empty() && !files_.back().indexed) FailAt(files_.back().line, "FILE without INDEX");
}

void Parser::CheckLastTrack() const {
    if (!marks_.empty() && !marks_.back().index1) {
        const CueAlbumTrack& track = album_.tracks.back();
        FailAt(track.lineNumber, "TRACK " + TwoDigits(track.number) + " without INDEX 01");
    }
}

// The files' audio from one position up to another: the rest of the first file, any files
// between, the head of the last.
void Parser::AppendRange(Position from, Position to, std::vector<CueSegment>& out) const {
    if (from >= to) return;
    if (from.file == to.file) {
        out.push_back({files_[from.file].name, from.frame, to.frame - from.frame});
        return;
    }
    out.push_back({files_[from.file].name, from.frame, std::nullopt});
    for (std::size_t f = from.file + 1; f < to.file; ++f) out.push_back({files_[f].name, 0, std::nullopt});
    if (to.frame > 0) out.push_back({files_[to.file].name, 0, to.frame});
}

// Each track runs from its first index (track 1: from the start of the first file, so that
// nothing before its INDEX 01 is lost) to the next track's first index (the last: to the end
// of the last file).
CueAlbum Parser::Finish(std::uint32_t lastLine) {
    CheckLastFile();
    if (album_.tracks.empty()) FailAt(lastLine, "no TRACK in the sheet");
    CheckLastTrack();
    const Position end{files_.size(), 0};
    for (std::size_t k = 0; k < album_.tracks.size(); ++k) {
        CueAlbumTrack& track = album_.tracks[k];
        const TrackMarks& marks = marks_[k];
        const Position start = k == 0 ? Position{0, 0} : marks.index0.value_or(*marks.index1);
        const Position next = k + 1 < marks_.size() ? marks_[k + 1].index0.value_or(*marks_[k + 1].index1) : end;
        if (*marks.index1 == next) FailAt(track.lineNumber, "TRACK " + TwoDigits(track.number) + " without audio");
        if (marks.pregap.value_or(0) > 0) track.pregap.push_back({{}, 0, marks.pregap});
        AppendRange(start, *marks.index1, track.pregap);
        AppendRange(*marks.index1, next, track.audio);
        if (marks.postgap.value_or(0) > 0) track.audio.push_back({{}, 0, marks.postgap});
    }
    return std::move(album_);
}

} // namespace

bool CueSheetReader::LooksLikeCueSheet(const std::string& content) {
    bool isUtf8 = false;
    const std::string text = Decode(content, isUtf8);
    bool first = true, file = false;
    for (const std::string_view line : Lines(text)) {
        std::string_view rest = line;
        const std::string_view command = NextWord(rest);
        if (command.empty() || EqualsNoCase(command, "REM")) continue;
        if (first && !IsOneOf(command, {"FILE", "CATALOG", "CDTEXTFILE", "PERFORMER", "TITLE", "SONGWRITER"})) {
            return false;
        }
        first = false;
        if (file && EqualsNoCase(command, "TRACK")) return true;
        file = file || EqualsNoCase(command, "FILE");
    }
    return false;
}

CueAlbum CueSheetReader::Read(const std::string& path, const std::string& content) {
    bool isUtf8 = false;
    const std::string text = Decode(content, isUtf8);
    Parser parser(path, isUtf8);
    const std::vector<std::string_view> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) parser.Line(lines[i], static_cast<std::uint32_t>(i + 1));
    return parser.Finish(static_cast<std::uint32_t>(lines.empty() ? 1 : lines.size()));
}
