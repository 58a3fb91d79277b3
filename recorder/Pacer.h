#pragma once
// Pacer: keeps writing to the pace of a drive's speed. Frames are counted as they are
// written; after each chunk the writer waits (never spins) until the timeline of
// speed x 75 frames per second reaches them. Speed 0 writes as fast as the disk allows.
// Used by one writing thread at a time.
#include <chrono>
#include <cstdint>

class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    // How the pacer waits: the engine's waiter wakes early when the writing is aborted.
    class Waiter {
    public:
        virtual ~Waiter() = default;
        virtual Clock::time_point Now() { return Clock::now(); }
        // Blocks until deadline; false when interrupted before it.
        virtual bool WaitUntil(Clock::time_point deadline) = 0;
    };

    static constexpr std::uint32_t kUnpacedChunkFrames = 512; // about 1.2 MB

    Pacer(unsigned speed, Waiter& waiter) : speed_(speed), waiter_(waiter) {}

    unsigned Speed() const { return speed_; }
    // Frames per chunk: about an eighth of a second of writing when paced.
    std::uint32_t ChunkFrames() const;
    // Starts the timeline at the waiter's present time.
    void Start();
    // Counts frames as written and waits until they are due; false when the wait was interrupted.
    bool Advance(std::uint32_t frames);

private:
    unsigned speed_;
    Waiter& waiter_;
    Clock::time_point start_{};
    std::uint64_t frames_ = 0;
};
