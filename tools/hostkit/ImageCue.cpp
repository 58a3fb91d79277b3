#include "tools/hostkit/ImageCue.h"

#include <fstream>

namespace hostkit {

bool ReadImageCue(const std::string& cuePath, ImageCue& cue) {
    std::ifstream in(cuePath, std::ios::binary);
    if (!in) return false;
    const auto quoted = [](const std::string& text) {
        const std::size_t open = text.find('"'), close = text.rfind('"');
        return open != std::string::npos && close > open ? text.substr(open + 1, close - open - 1) : std::string();
    };
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const std::string text = line.substr(start);
        if (text.rfind("TRACK ", 0) == 0) {
            cue.tracks.push_back({text.substr(6, 2), "", "", ""});
        } else if (!cue.tracks.empty() && text.rfind("REM CRC32 ", 0) == 0) {
            cue.tracks.back().crc = text.substr(10);
        } else if (text.rfind("TITLE ", 0) == 0) {
            (cue.tracks.empty() ? cue.title : cue.tracks.back().title) = quoted(text);
        } else if (text.rfind("PERFORMER ", 0) == 0) {
            (cue.tracks.empty() ? cue.performer : cue.tracks.back().performer) = quoted(text);
        }
    }
    return true;
}

} // namespace hostkit
