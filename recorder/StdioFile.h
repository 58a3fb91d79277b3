#pragma once
// StdioFile: a ByteSource or ByteSink over an unbuffered C stream, for tools, tests and
// benchmarks that run outside the engine (the engine itself uses Win32File). Owns the stream.
#include <cstdio>
#include <string>

#include "recorder/ByteSink.h"
#include "recorder/ByteSource.h"
#include "support/ContextException.h"

class StdioFile : public ByteSource, public ByteSink {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(io_failure, base_exception);

    static StdioFile OpenRead(const std::string& path);
    static StdioFile Create(const std::string& path);

    StdioFile(StdioFile&& other) noexcept;
    StdioFile& operator=(StdioFile&&) = delete;
    ~StdioFile() override;

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    void Write(const void* data, std::size_t size) override;
    void Flush() override;

private:
    StdioFile(std::FILE* file, std::string path, std::uint64_t size);
    [[noreturn]] void Fail(const char* where, const char* what) const;

    std::FILE* file_;
    std::string path_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};
