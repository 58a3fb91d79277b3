#pragma once
// DecodedTrack: a file that Media Foundation decodes, as an AudioSource of a known length:
// the encoder's delay at the start is skipped and the audio ends after frames frames (the
// encoder's padding and anything else past that is not played). Decodes while it is read.
// Created, read and destroyed on one thread.
#include <memory>

#include "recorder/AudioSource.h"
#include "recorder/MfDecoder.h"

class DecodedTrack : public AudioSource {
public:
    DecodedTrack(std::unique_ptr<MfDecoder> decoder, std::uint64_t skipFrames, std::uint64_t frames);

    std::uint64_t OutputBytes() const override { return frames_ * MfDecoder::kFrameBytes; }
    std::size_t Read(std::uint8_t* output, std::size_t size) override;

private:
    std::unique_ptr<MfDecoder> decoder_;
    std::uint64_t skip_;
    std::uint64_t frames_;
    std::uint64_t delivered_ = 0;
};
