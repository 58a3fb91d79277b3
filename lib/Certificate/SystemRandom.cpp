#include "lib/Certificate/SystemRandom.h"

void SystemRandom::Fill(unsigned char* out, std::size_t count) {
    for (std::size_t i = 0; i < count; i += 4) {
        const unsigned int word = device_();
        for (std::size_t j = 0; j < 4 && i + j < count; ++j) out[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
}
