#pragma once
// LevelledSource: an AudioSource with a loudness gain applied as it is read (LoudnessGain:
// scaled, dithered, clamped); the length stays. Owns the source it levels. One thread.
#include <memory>

#include "recorder/AudioSource.h"
#include "recorder/LoudnessGain.h"

class LevelledSource final : public AudioSource {
public:
    LevelledSource(std::unique_ptr<AudioSource> source, double gainDb, std::uint64_t seed)
        : source_(std::move(source)), gain_(gainDb, seed) {}

    std::uint64_t OutputBytes() const override { return source_->OutputBytes(); }
    AudioTags Tags() const override { return source_->Tags(); }
    std::size_t Read(std::uint8_t* output, std::size_t size) override {
        std::size_t got = source_->Read(output, size - size % 4);
        gain_.Apply(output, got);
        return got;
    }

private:
    std::unique_ptr<AudioSource> source_;
    LoudnessGain gain_;
};
