#pragma once
// MemorySource: a ByteSource over bytes held in memory (tests, fuzzing). The bytes must
// outlive the source.
#include <algorithm>
#include <cstring>
#include <span>

#include "recorder/ByteSource.h"

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        if (offset >= bytes_.size()) return 0;
        std::size_t count = std::min<std::size_t>(size, bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, bytes_.data() + offset, count);
        return count;
    }

private:
    std::span<const std::uint8_t> bytes_;
};
