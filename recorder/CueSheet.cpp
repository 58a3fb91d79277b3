#include "recorder/CueSheet.h"

#include <cstdio>

#include "recorder/RedBook.h"

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::string CueSheet::CrcText(std::uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
    return text;
}

std::string CueSheet::QuotableText(const std::string& text) {
    constexpr std::size_t kMaxBytes = 80;
    std::string out;
    for (unsigned char c : text) out += c == '"' ? '\'' : (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    if (out.size() > kMaxBytes) {
        std::size_t cut = kMaxBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut; // not inside a sequence
        out.resize(cut);
    }
    return out;
}

std::string CueSheet::Render(const std::vector<CueFile>& files, const CueText& disc, const std::string& cdTextFile,
                             const std::string& catalog, const std::string& songwriter,
                             const std::vector<std::string>& remarks) {
    const char* eol = "\r\n";
    bool sessions = false;
    for (const CueFile& file : files) sessions |= file.session != files.front().session;
    std::string cue;
    auto text = [&](const char* indent, const char* key, const std::string& value) {
        if (!value.empty()) cue += std::string(indent) + key + " \"" + QuotableText(value) + "\"" + eol;
    };
    for (const std::string& remark : remarks) cue += "REM " + remark + eol;
    if (!catalog.empty()) cue += "CATALOG " + catalog + eol;
    text("", "CDTEXTFILE", cdTextFile);
    text("", "TITLE", disc.title);
    text("", "PERFORMER", disc.performer);
    text("", "SONGWRITER", songwriter);
    for (const CueFile& file : files) {
        if (sessions) cue += "REM SESSION " + TwoDigits(file.session) + eol;
        cue += "FILE \"" + QuotableText(file.name) + "\" BINARY" + eol;
        for (const CueTrack& track : file.tracks) {
            cue += "  TRACK " + TwoDigits(track.number) + " AUDIO" + eol;
            text("    ", "TITLE", track.title);
            text("    ", "PERFORMER", track.performer);
            text("    ", "SONGWRITER", track.songwriter);
            if (track.flags) {
                cue += "    FLAGS";
                if (track.flags & 2) cue += " DCP";
                if (track.flags & 4) cue += " 4CH";
                if (track.flags & 1) cue += " PRE";
                cue += eol;
            }
            if (!track.isrc.empty()) cue += "    ISRC " + track.isrc + eol;
            for (const std::string& remark : track.remarks) cue += "    REM " + remark + eol;
            if (track.crc) cue += "    REM CRC32 " + CrcText(*track.crc) + eol;
            if (track.pregapFrames > 0) cue += "    INDEX 00 " + RedBook::FormatMsf(track.fileFrame) + eol;
            cue += "    INDEX 01 " + RedBook::FormatMsf(std::uint64_t{track.fileFrame} + track.pregapFrames) + eol;
        }
    }
    return cue;
}
