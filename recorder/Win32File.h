#pragma once
// Win32File: a ByteSource or ByteSink over a Win32 file handle with wide paths; failures
// carry the path and the system's text. A sink can be given a size limit past which it fails
// as a full disk would (fault injection). Also whole-file text reading and replacing.
// Owned by one thread at a time.
#include <string>

#include "recorder/ByteSink.h"
#include "recorder/ByteSource.h"
#include "support/ContextException.h"
#include "support/UniqueHandle.h"

class Win32File : public ByteSource, public ByteSink {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(open_failure, base_exception);
    FENNEL_EXCEPTION(io_failure, base_exception);

    static Win32File OpenRead(const std::wstring& path);
    // Creates or truncates path; limitBytes 0 means no limit.
    static Win32File Create(const std::wstring& path, std::uint64_t limitBytes = 0);

    Win32File(Win32File&&) noexcept = default;
    Win32File& operator=(Win32File&&) noexcept = default;

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    void Write(const void* data, std::size_t size) override;
    void Flush() override;
    // WriteFile keeps nothing in the process, so every written byte is already readable.
    void Publish() override {}
    // Flushes and closes; a failure throws, unlike the destructor's silent close.
    void Close();

    // The whole file as bytes; throws open_failure or io_failure, also when larger than maxBytes.
    static std::string ReadText(const std::wstring& path, std::size_t maxBytes);
    // Writes text to a temporary file beside path, then moves it over path, so that readers
    // see the old or the new text, never a part.
    static void ReplaceText(const std::wstring& path, const std::string& text);

private:
    Win32File(UniqueFile file, std::wstring path, std::uint64_t size, std::uint64_t limit);
    [[noreturn]] void Fail(const char* where, const char* what, DWORD error) const;

    UniqueFile file_;
    std::wstring path_;
    std::uint64_t size_ = 0;
    std::uint64_t limit_ = 0;
    std::uint64_t position_ = 0;
};
