#pragma once
// AudioSource: one track's audio as the 16-bit stereo little-endian frames of an audio CD,
// read front to back. OutputBytes is known before the first Read (the image is laid out
// from it). Implementations throw their own ContextException-derived failure when the audio
// cannot be read. One source per track; not shared between threads.
#include <cstddef>
#include <cstdint>
#include <string>

// Texts a file carries about itself, in UTF-8; empty when the file has none.
struct AudioTags {
    std::string title;
    std::string performer;
    std::string album;
};

class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Bytes Read delivers in all: frames * 4.
    virtual std::uint64_t OutputBytes() const = 0;
    // Fills output with up to size bytes (rounded down to whole frames); answers the count,
    // 0 once every frame has been delivered.
    virtual std::size_t Read(std::uint8_t* output, std::size_t size) = 0;
    virtual AudioTags Tags() const { return {}; }
};
