#include "recorder/StdioFile.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

int Seek(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

} // namespace

StdioFile::StdioFile(std::FILE* file, std::string path, std::uint64_t size)
    : file_(file), path_(std::move(path)), size_(size) {
    // Callers move large blocks; a stream buffer would only split them into more calls.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

StdioFile::StdioFile(StdioFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), path_(std::move(other.path_)), size_(other.size_),
      position_(other.position_) {}

StdioFile::~StdioFile() {
    if (file_) std::fclose(file_);
}

void StdioFile::Fail(const char* where, const char* what) const {
    std::string context = path_ + ": " + what + ": " + std::strerror(errno);
    FENNEL_THROW(io_failure, where, context.c_str());
}

StdioFile StdioFile::OpenRead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::string context = path + ": " + std::strerror(errno);
        FENNEL_THROW(io_failure, "StdioFile::OpenRead()", context.c_str());
    }
    StdioFile result(file, path, 0);
    if (std::fseek(file, 0, SEEK_END) != 0) result.Fail("StdioFile::OpenRead()", "seek");
#ifdef _WIN32
    long long end = _ftelli64(file);
#else
    off_t end = ftello(file);
#endif
    if (end < 0) result.Fail("StdioFile::OpenRead()", "size");
    result.size_ = static_cast<std::uint64_t>(end);
    result.position_ = result.size_;
    return result;
}

StdioFile StdioFile::Create(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::string context = path + ": " + std::strerror(errno);
        FENNEL_THROW(io_failure, "StdioFile::Create()", context.c_str());
    }
    return StdioFile(file, path, 0);
}

std::size_t StdioFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset >= size_) return 0;
    if (offset != position_ && Seek(file_, offset) != 0) Fail("StdioFile::ReadAt()", "seek");
    std::size_t count = std::fread(buffer, 1, size, file_);
    if (count < size && std::ferror(file_)) Fail("StdioFile::ReadAt()", "read");
    position_ = offset + count;
    return count;
}

void StdioFile::Write(const void* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) Fail("StdioFile::Write()", "write");
    size_ += size;
}

void StdioFile::Flush() {
    if (std::fflush(file_) != 0) Fail("StdioFile::Flush()", "flush");
}
