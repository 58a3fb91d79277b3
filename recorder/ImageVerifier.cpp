#include "recorder/ImageVerifier.h"

#include <algorithm>

#include "recorder/ErrorTexts.h"
#include "recorder/ImageRecorder.h"

namespace {

std::string TrackName(std::size_t track) { return "track " + std::to_string(track + 1) + ": "; }

} // namespace

ImageVerifier::ImageVerifier(OpenImage openImage) : openImage_(std::move(openImage)) {
    thread_ = std::thread([this] { Run(); });
}

ImageVerifier::~ImageVerifier() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ImageVerifier::BeginTrack(std::size_t track, std::uint64_t offset) {
    std::lock_guard lock(mutex_);
    active_ = true;
    track_ = track;
    position_ = offset;
    published_ = std::max(published_, offset);
    ended_ = read_ = false;
    crc_ = {};
    failure_.clear();
}

void ImageVerifier::Published(std::uint64_t end) {
    bool wake;
    {
        std::lock_guard lock(mutex_);
        published_ = end;
        wake = active_ && published_ - position_ >= kWakeBytes;
    }
    if (wake) wake_.notify_one();
}

void ImageVerifier::EndTrack(std::uint64_t end, std::uint32_t crc) {
    std::unique_lock lock(mutex_);
    end_ = end;
    published_ = std::max(published_, end);
    ended_ = true;
    wake_.notify_one();
    done_.wait(lock, [this] { return read_ || !failure_.empty() || unexpected_; });
    active_ = false;
    if (unexpected_) std::rethrow_exception(unexpected_);
    if (!failure_.empty()) FENNEL_THROW(ImageRecorder::verify_failure, "ImageVerifier::EndTrack()", failure_.c_str());
    if (crc_.Value() != crc)
        FENNEL_THROW(ImageRecorder::verify_failure, "ImageVerifier::EndTrack()",
                     (TrackName(track_) + "the image holds CRC32 " + ErrorTexts::Hex(static_cast<std::int32_t>(crc_.Value())) +
                      " where " + ErrorTexts::Hex(static_cast<std::int32_t>(crc)) + " was written")
                         .c_str());
}

void ImageVerifier::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Reads once enough is waiting, or the rest once the track has ended.
        wake_.wait(lock, [this] {
            return stop_ || (active_ && !read_ && failure_.empty() && !unexpected_ &&
                             (ended_ || published_ - position_ >= kWakeBytes));
        });
        if (stop_) return;
        if (ended_ && position_ >= end_) {
            read_ = true;
            done_.notify_one();
            continue;
        }
        const std::uint64_t from = position_;
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>((ended_ ? end_ : published_) - from, kBlockBytes));
        const std::size_t track = track_;
        lock.unlock();
        std::string failure;
        std::exception_ptr unexpected;
        try {
            failure = ReadBlock(from, size, track);
        } catch (...) {
            unexpected = std::current_exception();
        }
        lock.lock();
        position_ = from + size;
        failure_ = std::move(failure);
        unexpected_ = unexpected;
        if (ended_ && position_ >= end_) read_ = true;
        if (read_ || !failure_.empty() || unexpected_) done_.notify_one();
    }
}

std::string ImageVerifier::ReadBlock(std::uint64_t from, std::size_t size, std::size_t track) {
    const std::string name = TrackName(track);
    try {
        if (!image_) image_ = openImage_();
        if (buffer_.size() < size) buffer_.resize(kBlockBytes);
        for (std::size_t done = 0; done < size;) {
            std::size_t got = image_->ReadAt(from + done, buffer_.data() + done, size - done);
            if (got == 0)
                return name + "the image ends at byte " + std::to_string(from + done) + ", before the track's end";
            done += got;
        }
    } catch (const ContextException& e) {
        return name + e.Context();
    }
    crc_.Update(buffer_.data(), size);
    return {};
}
