#include "recorder/RedBook.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace RedBook {

std::uint64_t FramesForBytes(std::uint64_t bytes) { return (bytes + kFrameBytes - 1) / kFrameBytes; }

std::uint64_t TrackFrames(std::uint64_t bytes) { return std::max<std::uint64_t>(FramesForBytes(bytes), kMinTrackFrames); }

std::uint32_t SessionOverheadFrames(int completedSessions) {
    if (completedSessions <= 0) return 0;
    return (completedSessions == 1 ? kFirstLeadOutFrames : kLaterLeadOutFrames) + kLeadInFrames;
}

std::string FormatMsf(std::uint64_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u",
                  static_cast<unsigned long long>(frames / (60 * kFramesPerSecond)),
                  static_cast<unsigned>(frames / kFramesPerSecond % 60), static_cast<unsigned>(frames % kFramesPerSecond));
    return text;
}

std::optional<std::uint64_t> ParseMsf(std::string_view text) {
    std::uint64_t parts[3] = {};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (p == end || *p != ':') return std::nullopt;
            ++p;
        }
        auto [next, ec] = std::from_chars(p, end, parts[i]);
        if (ec != std::errc() || next == p || (i > 0 && next - p != 2)) return std::nullopt;
        p = next;
    }
    if (p != end || parts[1] >= 60 || parts[2] >= kFramesPerSecond || parts[0] > 1'000'000) return std::nullopt;
    return (parts[0] * 60 + parts[1]) * kFramesPerSecond + parts[2];
}

} // namespace RedBook
