#pragma once
// MemorySink: a ByteSink that collects the written bytes in memory (tests). A limit makes it
// fail like a full disk once the total would pass it.
#include <cstdint>
#include <limits>
#include <vector>

#include "recorder/ByteSink.h"
#include "support/ContextException.h"

class MemorySink : public ByteSink {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(full, base_exception);

    explicit MemorySink(std::size_t limit = std::numeric_limits<std::size_t>::max()) : limit_(limit) {}
    void Write(const void* data, std::size_t size) override {
        if (size > limit_ - bytes_.size()) FENNEL_THROW(full, "MemorySink::Write()", "limit reached");
        auto p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Flush() override {}
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::size_t limit_;
    std::vector<std::uint8_t> bytes_;
};
