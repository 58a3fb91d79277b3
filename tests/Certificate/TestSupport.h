#pragma once
// Helpers of the configuration file tests: a repeatable random source and key pair,
// hexadecimal texts, failures caught as values, paths as the Windows build sees them.
#include "lib/Certificate/RandomSource.h"
#include "lib/Certificate/SigningKey.h"
#include "support/ContextException.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace certificate_test {

struct SeededRandom : RandomSource {
    explicit SeededRandom(std::uint64_t seed) : engine(seed) {}
    void Fill(unsigned char* out, std::size_t n) override { for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(engine()); }
    std::size_t Below(std::size_t limit) { return static_cast<std::size_t>(engine() % limit); }
    std::mt19937_64 engine;
};

// Key pairs made once per program (number 0 and 1); making one costs a prime search.
inline const SigningKey& TestKey(int number) {
    static SeededRandom random(23);
    static const SigningKey keys[] = {SigningKey::Generate(random), SigningKey::Generate(random)};
    return keys[number];
}

inline std::vector<unsigned char> Bytes(const std::string& hex) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string Hex(const unsigned char* data, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += {"0123456789abcdef"[data[i] >> 4], "0123456789abcdef"[data[i] & 15]};
    return text;
}

#ifdef _WIN32
inline std::string HostPath(const std::string& unixPath) { return "Z:" + unixPath; }
#else
inline std::string HostPath(const std::string& unixPath) { return unixPath; }
#endif

// The ContextException that action throws; fails the test when none comes.
inline ContextException Thrown(const std::function<void()>& action) {
    try { action(); } catch (const ContextException& e) { return e; }
    ADD_FAILURE() << "no ContextException thrown";
    return ContextException(nullptr, nullptr, nullptr, 0, nullptr);
}

} // namespace certificate_test
