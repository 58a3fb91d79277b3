#pragma once
// ImageVerifier: reads a disc image back on a thread of its own while the image is being
// written, in large blocks, and compares each track's CRC-32 from index 1 to its end with the
// one the writer computed. The writer announces a track's index 1, tells how far the image
// is readable after each write, and at the track's end waits only for the part not yet read.
// A difference, a short image or a read error is ImageRecorder::verify_failure naming the track.
// Owned and called by the writing thread; the destructor stops the reader and waits for it.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recorder/ByteSource.h"
#include "recorder/Crc32.h"

class ImageVerifier {
public:
    // Opens the image for reading once, on the reader's thread; bytes published later must be
    // readable through what it returns. May throw any ContextException.
    using OpenImage = std::function<std::unique_ptr<ByteSource>()>;

    static constexpr std::size_t kWakeBytes = 1u << 20;  // the reader waits for this much, or the track's end
    static constexpr std::size_t kBlockBytes = 4u << 20; // at most one read

    explicit ImageVerifier(OpenImage openImage);
    ImageVerifier(const ImageVerifier&) = delete;
    ImageVerifier& operator=(const ImageVerifier&) = delete;
    ~ImageVerifier();

    // Track (index in the plan) starts its index 1 at image byte offset; the previous track ended.
    void BeginTrack(std::size_t track, std::uint64_t offset);
    // The image's bytes before end are readable.
    void Published(std::uint64_t end);
    // The track ends before image byte end, all published, and was written with CRC crc: waits
    // until it is read back; throws ImageRecorder::verify_failure when it differs or is short.
    void EndTrack(std::uint64_t end, std::uint32_t crc);

private:
    void Run();
    // Reads the size bytes at from of track and counts them into crc_; answers the failure's
    // text, empty when none.
    std::string ReadBlock(std::uint64_t from, std::size_t size, std::size_t track);

    OpenImage openImage_;
    std::unique_ptr<ByteSource> image_; // the reader's
    std::vector<std::uint8_t> buffer_;  // the reader's

    std::mutex mutex_;
    std::condition_variable wake_; // the reader: more to read, or stop
    std::condition_variable done_; // the writer: the track is read, or failed
    bool stop_ = false;
    bool active_ = false;            // a track is being read
    std::size_t track_ = 0;
    std::uint64_t position_ = 0;     // read up to here
    std::uint64_t published_ = 0;    // readable up to here
    std::uint64_t end_ = 0;          // the track's end, once known
    bool ended_ = false;             // end_ is known
    bool read_ = false;              // the track has been read up to end_
    Crc32 crc_;                      // of what was read of the track (the reader's while active_)
    std::string failure_;            // the reader's text for the track, empty while none
    std::exception_ptr unexpected_;  // anything else the reader met
    std::thread thread_;
};
