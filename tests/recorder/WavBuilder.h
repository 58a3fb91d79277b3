#pragma once
// WavBuilder: makes the bytes of WAV files for the recorder's tests, correct by default and
// with knobs to make the header lie. Header-only; shared by the native and the COM tests.
#include <cstdint>
#include <string>
#include <vector>

struct WavBuilder {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bitsPerSample = 16;
    std::int32_t blockAlign = -1;       // -1: channels * bytes per sample
    std::int64_t dataSizeField = -1;    // -1: the real size
    std::int64_t riffSizeField = -1;    // -1: the real size
    std::int32_t fmtSizeField = -1;     // -1: 16 (40 when extensible)
    std::uint16_t subFormat = 1;        // extensible only
    bool fmtAfterData = false;
    std::string extraChunkBefore;       // body of a "LIST" chunk placed before fmt (odd sizes padded)
    std::vector<std::uint8_t> samples;  // body of the data chunk

    using Buffer = std::vector<std::uint8_t>;
    static void Put(Buffer& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    static void PutId(Buffer& out, const char* id) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
    }
    static std::uint32_t Field(std::int64_t field, std::size_t real) {
        return static_cast<std::uint32_t>(field >= 0 ? field : static_cast<std::int64_t>(real));
    }

    Buffer FmtChunk() const {
        std::uint16_t align = static_cast<std::uint16_t>(blockAlign >= 0 ? blockAlign : channels * ((bitsPerSample + 7) / 8));
        Buffer body;
        for (auto [value, size] : {std::pair<std::uint32_t, int>{formatTag, 2}, {channels, 2}, {sampleRate, 4},
                                   {sampleRate * align, 4}, {align, 2}, {bitsPerSample, 2}})
            Put(body, value, size);
        if (formatTag == 0xFFFE) {
            const std::uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
            for (auto [value, size] : {std::pair<std::uint32_t, int>{22, 2}, {bitsPerSample, 2},
                                       {channels == 1 ? 4u : 3u, 4}, {subFormat, 2}})
                Put(body, value, size);
            body.insert(body.end(), tail, tail + 14);
        }
        Buffer chunk;
        PutId(chunk, "fmt ");
        std::uint32_t size = Field(fmtSizeField, body.size());
        Put(chunk, size, 4);
        if (size <= 64) body.resize(size); // a larger size stays a lie
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

    Buffer Bytes() const {
        std::vector<std::uint8_t> chunks, data, fmt = FmtChunk();
        if (!extraChunkBefore.empty()) {
            PutId(chunks, "LIST");
            Put(chunks, static_cast<std::uint32_t>(extraChunkBefore.size()), 4);
            chunks.insert(chunks.end(), extraChunkBefore.begin(), extraChunkBefore.end());
            if (extraChunkBefore.size() & 1) chunks.push_back(0);
        }
        PutId(data, "data");
        Put(data, Field(dataSizeField, samples.size()), 4);
        data.insert(data.end(), samples.begin(), samples.end());
        if (fmtAfterData && (samples.size() & 1)) data.push_back(0);
        const Buffer& first = fmtAfterData ? data : fmt;
        const Buffer& second = fmtAfterData ? fmt : data;
        chunks.insert(chunks.end(), first.begin(), first.end());
        chunks.insert(chunks.end(), second.begin(), second.end());
        std::vector<std::uint8_t> out;
        PutId(out, "RIFF");
        Put(out, Field(riffSizeField, chunks.size() + 4), 4);
        PutId(out, "WAVE");
        out.insert(out.end(), chunks.begin(), chunks.end());
        return out;
    }

    // 16-bit stereo samples whose every byte depends on its position and on seed, so that a
    // misplaced or missing byte shows.
    static std::vector<std::uint8_t> Pattern(std::size_t frames, unsigned seed) {
        std::vector<std::uint8_t> bytes(frames * 4);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>((i * 7 + seed * 31 + (i >> 8)) & 0xFF);
        return bytes;
    }
};
