#pragma once
// RandomSource: where the file maker takes its random bytes from (key pairs, cipher keys).
// The tool uses SystemRandom; tests pass a seeded source to repeat a run.
#include <cstddef>

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Fill(unsigned char* out, std::size_t count) = 0;
};
