#pragma once
// ByteSource: random-access reading of one file's bytes (an audio file, a state file).
// Implementations throw their own ContextException-derived failure on a read error;
// reading past the end is not an error and returns fewer bytes.
#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to size bytes at offset into buffer; answers the count read (0 past the end).
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};
