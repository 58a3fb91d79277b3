#include "recorder/PartsSource.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

} // namespace

std::unique_ptr<AudioSource> PartsOpener::Take(const std::wstring& path, std::uint64_t startByte) {
    std::unique_ptr<AudioSource> source;
    std::uint64_t position = 0;
    if (source_ && path_ == path && position_ <= startByte) {
        source = std::move(source_);
        position = position_;
    } else {
        source = open_(path);
    }
    source_.reset();
    if (startByte > source->OutputBytes())
        FENNEL_THROW(file_too_short, "PartsOpener::Take()", (Narrow(path) + " ends before the part").c_str());
    std::vector<std::uint8_t> skipped(64 * 1024);
    while (position < startByte) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(skipped.size(), startByte - position));
        std::size_t got = source->Read(skipped.data(), want);
        if (got == 0) FENNEL_THROW(file_too_short, "PartsOpener::Take()", (Narrow(path) + " ended early").c_str());
        position += got;
    }
    return source;
}

void PartsOpener::Keep(const std::wstring& path, std::unique_ptr<AudioSource> source, std::uint64_t position) {
    path_ = path;
    source_ = std::move(source);
    position_ = position;
}

PartsSource::PartsSource(std::vector<TrackPart> parts, PartsOpener& opener) : parts_(std::move(parts)), opener_(opener) {
    for (const TrackPart& part : parts_) total_ += part.bytes;
}

PartsSource::~PartsSource() { Release(); }

void PartsSource::Release() {
    if (file_) opener_.Keep(parts_[part_].path, std::move(file_), parts_[part_].startByte + partDone_);
}

std::size_t PartsSource::Read(std::uint8_t* output, std::size_t size) {
    size -= size % 4; // whole frames
    std::size_t done = 0;
    while (done < size && part_ < parts_.size()) {
        const TrackPart& part = parts_[part_];
        if (partDone_ == part.bytes) {
            Release();
            ++part_;
            partDone_ = 0;
            continue;
        }
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, part.bytes - partDone_));
        std::size_t got;
        if (part.path.empty()) {
            std::memset(output + done, 0, want);
            got = want;
        } else {
            if (!file_) file_ = opener_.Take(part.path, part.startByte + partDone_);
            got = file_->Read(output + done, want);
            if (got == 0)
                FENNEL_THROW(PartsOpener::file_too_short, "PartsSource::Read()",
                             (Narrow(part.path) + " ended before the part").c_str());
        }
        partDone_ += got;
        done += got;
    }
    return done;
}
