#include "recorder/DecodedTrack.h"

#include <algorithm>

DecodedTrack::DecodedTrack(std::unique_ptr<MfDecoder> decoder, std::uint64_t skipFrames, std::uint64_t frames)
    : decoder_(std::move(decoder)), skip_(skipFrames), frames_(frames) {}

std::size_t DecodedTrack::Read(std::uint8_t* output, std::size_t size) {
    if (skip_) {
        if (decoder_->Skip(skip_) != skip_) return 0; // shorter than its delay: nothing to play
        skip_ = 0;
    }
    std::uint64_t left = (frames_ - delivered_) * MfDecoder::kFrameBytes;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - size % MfDecoder::kFrameBytes, left));
    if (want == 0) return 0;
    std::size_t got = decoder_->Read(output, want);
    delivered_ += got / MfDecoder::kFrameBytes;
    return got;
}
