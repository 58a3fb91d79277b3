#pragma once
// PartsSource: a track's audio made of parts, ranges of audio files and silences, read as one
// AudioSource. A PartsOpener, kept for a whole write, hands each part its file: a part that
// continues a file where the last one stopped reads on from the same source, so an album
// held in one file is decoded once, front to back. One thread.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recorder/AudioSource.h"
#include "support/ContextException.h"

// A range of a file's 16-bit stereo output, or (no path) that many bytes of silence. Offsets
// and sizes are whole sample frames (multiples of 4 bytes).
struct TrackPart {
    std::wstring path;
    std::uint64_t startByte = 0;
    std::uint64_t bytes = 0;
    bool operator==(const TrackPart&) const = default;
};

class PartsOpener {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(file_too_short, base_exception); // a part reaches past its file's end

    using Open = std::function<std::unique_ptr<AudioSource>(const std::wstring& path)>;
    explicit PartsOpener(Open open) : open_(std::move(open)) {}

    // A source of path that reads on from startByte: the kept one when it has not passed
    // startByte, else a new one. Throws what Open throws, or file_too_short.
    std::unique_ptr<AudioSource> Take(const std::wstring& path, std::uint64_t startByte);
    // Keeps a source at position for the next part.
    void Keep(const std::wstring& path, std::unique_ptr<AudioSource> source, std::uint64_t position);

private:
    Open open_;
    std::wstring path_;
    std::unique_ptr<AudioSource> source_;
    std::uint64_t position_ = 0;
};

class PartsSource final : public AudioSource {
public:
    PartsSource(std::vector<TrackPart> parts, PartsOpener& opener);
    ~PartsSource() override;

    std::uint64_t OutputBytes() const override { return total_; }
    // Throws PartsOpener's failures and the files' own.
    std::size_t Read(std::uint8_t* output, std::size_t size) override;

private:
    void Release(); // gives the current file back to the opener

    const std::vector<TrackPart> parts_;
    PartsOpener& opener_;
    std::uint64_t total_ = 0;
    std::size_t part_ = 0;        // the part being read
    std::uint64_t partDone_ = 0;  // of its bytes
    std::unique_ptr<AudioSource> file_;
};
