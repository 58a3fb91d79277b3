#pragma once
// DecodedLengths: the decoded length of the files Media Foundation decodes, remembered per
// path, size and last write time, so that adding a track, preparing and recording decode a
// file in full once and not at every step. A changed file is decoded again. Thread-safe.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class DecodedLengths {
public:
    struct Key {
        std::wstring path;
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;
        auto operator<=>(const Key&) const = default;
    };
    struct Length {
        std::uint64_t skipFrames = 0; // decoded frames before the audio
        std::uint64_t frames = 0;     // frames of audio after them
    };

    static DecodedLengths& Shared();

    std::optional<Length> Find(const Key& key) const;
    void Remember(const Key& key, const Length& length);

private:
    static constexpr std::size_t kMaxEntries = 1024;

    mutable std::mutex mutex_;
    std::map<Key, Length> lengths_;
};
