#include "recorder/Win32File.h"

#include <algorithm>
#include <limits>

#include "recorder/WinText.h"

namespace {

std::string Context(const std::wstring& path, const char* what, DWORD error) {
    return WinText::Utf8(path) + ": " + what + ": " + WinText::SystemMessage(error);
}

} // namespace

Win32File::Win32File(UniqueFile file, std::wstring path, std::uint64_t size, std::uint64_t limit)
    : file_(std::move(file)), path_(std::move(path)), size_(size), limit_(limit) {}

void Win32File::Fail(const char* where, const char* what, DWORD error) const {
    FENNEL_THROW(io_failure, where, Context(path_, what, error).c_str());
}

Win32File Win32File::OpenRead(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) FENNEL_THROW(open_failure, "Win32File::OpenRead()", Context(path, "open", GetLastError()).c_str());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        FENNEL_THROW(io_failure, "Win32File::OpenRead()", Context(path, "size", GetLastError()).c_str());
    return Win32File(std::move(file), path, static_cast<std::uint64_t>(size.QuadPart), 0);
}

Win32File Win32File::Create(const std::wstring& path, std::uint64_t limitBytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) FENNEL_THROW(open_failure, "Win32File::Create()", Context(path, "create", GetLastError()).c_str());
    return Win32File(std::move(file), path, 0, limitBytes);
}

std::size_t Win32File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    std::size_t total = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (offset != position_) {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) Fail("Win32File::ReadAt()", "seek", GetLastError());
        position_ = offset;
    }
    while (total < size) {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file_.get(), out + total, want, &got, nullptr)) Fail("Win32File::ReadAt()", "read", GetLastError());
        if (got == 0) break;
        total += got;
        position_ += got;
    }
    return total;
}

void Win32File::Write(const void* data, std::size_t size) {
    auto* in = static_cast<const std::uint8_t*>(data);
    std::size_t allowed = size;
    if (limit_ != 0 && size_ + size > limit_) allowed = static_cast<std::size_t>(limit_ - std::min(limit_, size_));
    std::size_t done = 0;
    while (done < allowed) {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(allowed - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_.get(), in + done, want, &written, nullptr)) Fail("Win32File::Write()", "write", GetLastError());
        done += written;
        size_ += written;
    }
    if (allowed < size) Fail("Win32File::Write()", "write", ERROR_DISK_FULL);
}

void Win32File::Flush() {
    if (!FlushFileBuffers(file_.get())) Fail("Win32File::Flush()", "flush", GetLastError());
}

void Win32File::Close() {
    if (!file_) return;
    HANDLE handle = file_.release();
    if (!CloseHandle(handle)) Fail("Win32File::Close()", "close", GetLastError());
}

std::string Win32File::ReadText(const std::wstring& path, std::size_t maxBytes) {
    Win32File file = OpenRead(path);
    if (file.Size() > maxBytes)
        FENNEL_THROW(io_failure, "Win32File::ReadText()", (WinText::Utf8(path) + ": file too large").c_str());
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    text.resize(file.ReadAt(0, text.data(), text.size()));
    return text;
}

void Win32File::ReplaceText(const std::wstring& path, const std::string& text) {
    std::wstring temporary = path + L".new";
    {
        Win32File file = Create(temporary);
        file.Write(text.data(), text.size());
        file.Flush();
        file.Close();
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        FENNEL_THROW(io_failure, "Win32File::ReplaceText()", Context(path, "replace", error).c_str());
    }
}
