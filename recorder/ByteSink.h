#pragma once
// ByteSink: sequential writing of one output file (a disc image). Implementations throw their
// own ContextException-derived failure when a write cannot be completed (disk full, ...).
#include <cstddef>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const void* data, std::size_t size) = 0;
    // Pushes buffered bytes to the file system; a failure to do so throws.
    virtual void Flush() = 0;
    // Makes the bytes written so far readable through another handle of the same file; they
    // need not be on the disk yet. The default is the durable Flush.
    virtual void Publish() { Flush(); }
};
