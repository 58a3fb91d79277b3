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

    static void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        Put16(out, v & 0xFFFF);
        Put16(out, v >> 16);
    }
    static void PutId(std::vector<std::uint8_t>& out, const char* id) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
    }

    std::vector<std::uint8_t> FmtChunk() const {
        bool extensible = formatTag == 0xFFFE;
        std::uint16_t align = blockAlign >= 0 ? static_cast<std::uint16_t>(blockAlign)
                                              : static_cast<std::uint16_t>(channels * ((bitsPerSample + 7) / 8));
        std::vector<std::uint8_t> body;
        Put16(body, formatTag);
        Put16(body, channels);
        Put32(body, sampleRate);
        Put32(body, sampleRate * align);
        Put16(body, align);
        Put16(body, bitsPerSample);
        if (extensible) {
            Put16(body, 22);
            Put16(body, bitsPerSample);
            Put32(body, channels == 1 ? 4 : 3);
            const std::uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
            Put16(body, subFormat);
            body.insert(body.end(), tail, tail + 14);
        }
        std::vector<std::uint8_t> chunk;
        PutId(chunk, "fmt ");
        std::uint32_t size = fmtSizeField >= 0 ? static_cast<std::uint32_t>(fmtSizeField)
                                               : static_cast<std::uint32_t>(body.size());
        Put32(chunk, size);
        if (size <= 64) body.resize(size); // a larger size stays a lie
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> chunks;
        if (!extraChunkBefore.empty()) {
            PutId(chunks, "LIST");
            Put32(chunks, static_cast<std::uint32_t>(extraChunkBefore.size()));
            chunks.insert(chunks.end(), extraChunkBefore.begin(), extraChunkBefore.end());
            if (extraChunkBefore.size() & 1) chunks.push_back(0);
        }
        std::vector<std::uint8_t> fmt = FmtChunk();
        std::vector<std::uint8_t> data;
        PutId(data, "data");
        Put32(data, dataSizeField >= 0 ? static_cast<std::uint32_t>(dataSizeField)
                                       : static_cast<std::uint32_t>(samples.size()));
        data.insert(data.end(), samples.begin(), samples.end());
        if (fmtAfterData) {
            if (samples.size() & 1) data.push_back(0);
            chunks.insert(chunks.end(), data.begin(), data.end());
            chunks.insert(chunks.end(), fmt.begin(), fmt.end());
        } else {
            chunks.insert(chunks.end(), fmt.begin(), fmt.end());
            chunks.insert(chunks.end(), data.begin(), data.end());
        }
        std::vector<std::uint8_t> out;
        PutId(out, "RIFF");
        Put32(out, riffSizeField >= 0 ? static_cast<std::uint32_t>(riffSizeField)
                                      : static_cast<std::uint32_t>(chunks.size() + 4));
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
