#include "recorder/WavReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "recorder/SampleConverter.h"
#include "support/Utf8.h"

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF; // data size left open by streaming writers
// Tail of the extensible format's sub-format identifier shared by every base format.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint64_t kMaxListBytes = 64 * 1024; // texts past this are not read
constexpr int kMaxTailChunks = 64;                  // chunks looked at for tags after the audio

// A tag's bytes up to the first NUL as UTF-8: unchanged when valid UTF-8, else read as Latin-1.
std::string TagText(const std::uint8_t* bytes, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), std::find(bytes, bytes + size, 0) - bytes);
    if (utf8::IsValid(text)) return text;
    std::string latin;
    for (unsigned char c : text) utf8::Append(latin, c);
    return latin;
}

std::string ChunkName(const char* id) {
    std::string name;
    for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? id[i] : '?';
    return name;
}

} // namespace

WavReader::WavReader(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {
    fileSize_ = source_->Size();
    ParseHeader();
}

void WavReader::ReadExactly(std::uint64_t offset, void* buffer, std::size_t size, const char* what) {
    if (source_->ReadAt(offset, buffer, size) != size)
        FENNEL_THROW(malformed, "WavReader::ReadExactly()", what);
}

void WavReader::ParseHeader() {
    std::uint8_t riff[12];
    if (fileSize_ < sizeof riff || source_->ReadAt(0, riff, sizeof riff) != sizeof riff)
        FENNEL_THROW(not_wav, "WavReader::ParseHeader()", "file too short for a RIFF header");
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        FENNEL_THROW(not_wav, "WavReader::ParseHeader()", "no RIFF/WAVE signature");

    // Chunks end at the RIFF size when the file is longer (trailing bytes are not ours), at the
    // end of the file when the RIFF size is open or too large.
    std::uint64_t end = fileSize_;
    std::uint32_t riffSize = Le32(riff + 4);
    if (riffSize != 0 && riffSize != kUnknownSize && std::uint64_t{riffSize} + 8 < fileSize_)
        end = std::uint64_t{riffSize} + 8;

    bool haveFormat = false;
    bool haveData = false;
    Chunk data{};
    std::uint64_t pos = sizeof riff;
    int tailChunks = 0;
    while (pos + 8 <= end) {
        // Past the audio's chunks only tags are looked for, and a broken chunk ends the look.
        bool tail = haveFormat && haveData;
        if (tail && ++tailChunks > kMaxTailChunks) break;
        std::uint8_t header[8];
        if (tail) {
            if (source_->ReadAt(pos, header, sizeof header) != sizeof header) break;
        } else {
            ReadExactly(pos, header, sizeof header, "chunk header unreadable");
        }
        Chunk chunk{};
        std::memcpy(chunk.id, header, 4);
        chunk.offset = pos + 8;
        chunk.size = Le32(header + 4);
        bool list = std::memcmp(chunk.id, "LIST", 4) == 0;
        if (tail) {
            if (chunk.size > end - chunk.offset) break;
            if (list) ParseList(chunk);
        } else if (std::memcmp(chunk.id, "data", 4) == 0) {
            if (!haveData) {
                data = chunk;
                haveData = true;
            }
            std::uint64_t available = end - chunk.offset;
            if (chunk.size == kUnknownSize) {
                data.size = static_cast<std::uint32_t>(std::min<std::uint64_t>(available, kUnknownSize - 1));
                break; // an open data chunk runs to the end: nothing can follow it
            }
            if (chunk.size > available)
                FENNEL_THROW(malformed, "WavReader::ParseHeader()",
                             ("data chunk claims " + std::to_string(chunk.size) + " bytes, the file holds " +
                              std::to_string(available)).c_str());
        } else if (std::memcmp(chunk.id, "fmt ", 4) == 0) {
            if (haveFormat) FENNEL_THROW(malformed, "WavReader::ParseHeader()", "second fmt chunk");
            if (chunk.size > end - chunk.offset)
                FENNEL_THROW(malformed, "WavReader::ParseHeader()", "fmt chunk runs past the end of the file");
            ParseFormat(chunk);
            haveFormat = true;
        } else if (chunk.size > end - chunk.offset) {
            FENNEL_THROW(malformed, "WavReader::ParseHeader()",
                         ("chunk '" + ChunkName(chunk.id) + "' runs past the end of the file").c_str());
        } else if (list) {
            ParseList(chunk);
        }
        pos = chunk.offset + chunk.size + (chunk.size & 1); // bodies are padded to even sizes
    }
    if (!haveFormat) FENNEL_THROW(malformed, "WavReader::ParseHeader()", "no fmt chunk");
    if (!haveData) FENNEL_THROW(malformed, "WavReader::ParseHeader()", "no data chunk");

    dataOffset_ = data.offset;
    frames_ = data.size / format_.blockAlign; // a trailing partial frame is not played
}

void WavReader::ParseList(const Chunk& chunk) {
    std::vector<std::uint8_t> body(static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size, kMaxListBytes)));
    if (body.size() < 4 || source_->ReadAt(chunk.offset, body.data(), body.size()) != body.size()) return;
    if (std::memcmp(body.data(), "INFO", 4) != 0) return;
    std::size_t pos = 4;
    while (pos + 8 <= body.size()) {
        const std::uint8_t* item = body.data() + pos;
        std::uint32_t size = Le32(item + 4);
        if (size > body.size() - pos - 8) return; // a lying length: this tag and the rest are ignored
        std::string* field = std::memcmp(item, "INAM", 4) == 0   ? &tags_.title
                             : std::memcmp(item, "IART", 4) == 0 ? &tags_.performer
                             : std::memcmp(item, "IPRD", 4) == 0 ? &tags_.album
                                                                 : nullptr;
        if (field && field->empty()) *field = TagText(item + 8, size);
        pos += 8 + std::size_t{size} + (size & 1);
    }
}

void WavReader::ParseFormat(const Chunk& chunk) {
    if (chunk.size < 16) FENNEL_THROW(malformed, "WavReader::ParseFormat()", "fmt chunk shorter than 16 bytes");
    std::uint8_t fmt[40] = {};
    std::size_t size = std::min<std::size_t>(chunk.size, sizeof fmt);
    ReadExactly(chunk.offset, fmt, size, "fmt chunk unreadable");

    std::uint16_t tag = Le16(fmt);
    format_.channels = Le16(fmt + 2);
    format_.sampleRate = Le32(fmt + 4);
    format_.blockAlign = Le16(fmt + 12);
    format_.bitsPerSample = Le16(fmt + 14);
    if (tag == kFormatExtensible) {
        if (size < 40 || Le16(fmt + 16) < 22)
            FENNEL_THROW(malformed, "WavReader::ParseFormat()", "extensible fmt chunk too short");
        unsigned validBits = Le16(fmt + 18);
        if (validBits > format_.bitsPerSample)
            FENNEL_THROW(malformed, "WavReader::ParseFormat()", "more valid bits than the container holds");
        if (std::memcmp(fmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
            FENNEL_THROW(unsupported, "WavReader::ParseFormat()", "unknown extensible sub-format");
        tag = Le16(fmt + 24);
    }
    if (tag != kFormatPcm)
        FENNEL_THROW(unsupported, "WavReader::ParseFormat()", ("format tag " + std::to_string(tag) + " is not PCM").c_str());
    if (format_.channels == 0 || format_.sampleRate == 0 || format_.bitsPerSample == 0)
        FENNEL_THROW(malformed, "WavReader::ParseFormat()", "zero channels, rate or sample size");
    format_.bytesPerSample = (format_.bitsPerSample + 7) / 8;
    if (format_.blockAlign != format_.channels * format_.bytesPerSample)
        FENNEL_THROW(malformed, "WavReader::ParseFormat()",
                     ("block size " + std::to_string(format_.blockAlign) + " contradicts " +
                      std::to_string(format_.channels) + " channels of " + std::to_string(format_.bitsPerSample) +
                      " bits").c_str());
    if (!SampleConverter::Supports(format_.channels, format_.bytesPerSample))
        FENNEL_THROW(unsupported, "WavReader::ParseFormat()",
                     (std::to_string(format_.channels) + " channels of " + std::to_string(format_.bitsPerSample) +
                      " bits").c_str());
    if (format_.sampleRate != kSampleRate)
        FENNEL_THROW(unsupported, "WavReader::ParseFormat()",
                     ("sample rate " + std::to_string(format_.sampleRate) + " Hz").c_str());
}

std::size_t WavReader::Read(std::uint8_t* output, std::size_t size) {
    std::uint64_t frames = std::min<std::uint64_t>(size / SampleConverter::kOutputFrameBytes, frames_ - framesRead_);
    if (frames == 0) return 0;
    std::uint64_t offset = dataOffset_ + framesRead_ * format_.blockAlign;
    std::size_t inputBytes = static_cast<std::size_t>(frames) * format_.blockAlign;
    bool direct = format_.channels == 2 && format_.bytesPerSample == 2;
    std::uint8_t* input = output;
    if (!direct) {
        if (raw_.size() < inputBytes) raw_.resize(inputBytes);
        input = raw_.data();
    }
    if (source_->ReadAt(offset, input, inputBytes) != inputBytes)
        FENNEL_THROW(read_failure, "WavReader::Read()", "the file ended before its last sample");
    if (!direct)
        SampleConverter::Convert(input, static_cast<std::size_t>(frames), format_.channels,
                                 format_.bytesPerSample, output);
    framesRead_ += frames;
    return static_cast<std::size_t>(frames) * SampleConverter::kOutputFrameBytes;
}
