#pragma once
// CorruptingSink: passes writes on to another sink, with the bytes at one offset of the
// stream inverted (fault injection: damage that only reading the image back can find).
// Does not own the sink; used by one thread.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "recorder/ByteSink.h"

class CorruptingSink : public ByteSink {
public:
    static constexpr std::size_t kBytes = 4; // damaged bytes from the offset on

    CorruptingSink(ByteSink& sink, std::uint64_t offset) : sink_(sink), offset_(offset) {}

    void Write(const void* data, std::size_t size) override {
        std::uint64_t end = position_ + size;
        if (offset_ + kBytes <= position_ || offset_ >= end) {
            sink_.Write(data, size);
        } else {
            auto p = static_cast<const std::uint8_t*>(data);
            copy_.assign(p, p + size);
            std::uint64_t from = std::max(offset_, position_);
            std::uint64_t to = std::min(offset_ + kBytes, end);
            for (std::uint64_t i = from; i < to; ++i) copy_[static_cast<std::size_t>(i - position_)] ^= 0xFF;
            sink_.Write(copy_.data(), size);
        }
        position_ = end;
    }
    void Flush() override { sink_.Flush(); }
    void Publish() override { sink_.Publish(); }

private:
    ByteSink& sink_;
    std::uint64_t offset_;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> copy_;
};
