#pragma once
// RedBook: the arithmetic of audio CDs. A frame (sector) holds 2352 bytes, 588 stereo samples
// of 16 bits; 75 frames make a second. Positions are counted in frames; "mm:ss:ff" texts
// (minutes, seconds, frames) are what cue sheets use.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace RedBook {

constexpr std::uint32_t kFrameBytes = 2352;
constexpr std::uint32_t kFramesPerSecond = 75;
constexpr std::uint32_t kBytesPerSecond = kFrameBytes * kFramesPerSecond; // 176,400: 1x
constexpr std::uint32_t kPregapFrames = 2 * kFramesPerSecond;   // before the first track of a session
constexpr std::uint32_t kMinTrackFrames = 4 * kFramesPerSecond; // shorter tracks are padded
constexpr std::uint32_t kPauseFrames = 2 * kFramesPerSecond;    // between tracks written track-at-once
constexpr int kMaxTracks = 99;
constexpr std::uint32_t kFirstLeadOutFrames = 90 * kFramesPerSecond; // closing the first session
constexpr std::uint32_t kLaterLeadOutFrames = 30 * kFramesPerSecond; // closing any later session
constexpr std::uint32_t kLeadInFrames = 60 * kFramesPerSecond;       // opening a later session

constexpr std::uint32_t FramesOfMinutes(std::uint32_t minutes) { return minutes * 60 * kFramesPerSecond; }

// Frames that hold bytes of audio, the last one padded.
std::uint64_t FramesForBytes(std::uint64_t bytes);
// Frames a track of that much audio occupies: whole frames, at least four seconds.
std::uint64_t TrackFrames(std::uint64_t bytes);
// Lead-out of the last session plus lead-in of the next, spent before another session can
// start on a disc with completedSessions sessions (0 on a blank disc).
std::uint32_t SessionOverheadFrames(int completedSessions);

// "mm:ss:ff"; minutes grow past 99 rather than wrap.
std::string FormatMsf(std::uint64_t frames);
std::optional<std::uint64_t> ParseMsf(std::string_view text);

} // namespace RedBook
