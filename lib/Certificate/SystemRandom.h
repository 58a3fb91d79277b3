#pragma once
// SystemRandom: random bytes from the operating system's generator (std::random_device).
#include "lib/Certificate/RandomSource.h"

#include <random>

class SystemRandom : public RandomSource {
public:
    void Fill(unsigned char* out, std::size_t count) override;

private:
    std::random_device device_;
};
