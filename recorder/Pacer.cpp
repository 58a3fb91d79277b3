#include "recorder/Pacer.h"

#include <algorithm>

#include "recorder/RedBook.h"

std::uint32_t Pacer::ChunkFrames() const {
    if (speed_ == 0) return kUnpacedChunkFrames;
    return std::clamp<std::uint32_t>(speed_ * RedBook::kFramesPerSecond / 8, 19, kUnpacedChunkFrames);
}

void Pacer::Start() {
    start_ = waiter_.Now();
    frames_ = 0;
}

bool Pacer::Advance(std::uint32_t frames) {
    frames_ += frames;
    if (speed_ == 0) return true;
    auto due = start_ + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::nanoseconds(frames_ * 1'000'000'000ull / (std::uint64_t{speed_} * RedBook::kFramesPerSecond)));
    if (waiter_.Now() >= due) return true;
    return waiter_.WaitUntil(due);
}
