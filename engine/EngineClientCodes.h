#pragma once
// Result codes that the engine client produces itself, besides the engine's own
// (engine/RecordingEngineTypes.h), and the stage codes of a recording.
#include <cstdint>

#include "engine/RecordingEngineTypes.h"

constexpr std::int32_t ENGINE_E_NO_ENGINE = RecordingCode(0x80040424);     // not created, started or accepted
constexpr std::int32_t ENGINE_E_NO_DEVICE = RecordingCode(0x800404E0);     // no usable recording device
constexpr std::int32_t ENGINE_E_WRONG_TRACK_MODE = RecordingCode(0x80010106); // track list in the other mode
constexpr std::int32_t ENGINE_E_PREPARE_FAILED = RecordingCode(0x8004001D); // the engine refused to prepare
constexpr std::int32_t ENGINE_E_DISC_REFUSED = RecordingCode(0x800410CC);  // the disc can't take the burn
constexpr std::int32_t ENGINE_E_ENGINE_UNAVAILABLE = RecordingCode(0x8004401C); // the engine answers but won't serve
// Shares its value with RECORDING_E_CANNOT_REWRITE: the client answers it when there is no
// current device to use, or no device list to choose one from.
constexpr std::int32_t ENGINE_E_NO_CURRENT_DEVICE = RECORDING_E_CANNOT_REWRITE;

// Stage of a recording from the engine's status word; the first matching bit wins.
constexpr std::int32_t StageOfStatus(std::uint32_t status) {
    if (status & RECORDING_STATUS_FINALIZING) return 7;
    if (status & RECORDING_STATUS_CLOSING_SESSION) return 6;
    if (status & RECORDING_STATUS_WRITING_TRACKS) return 5;
    if (status & RECORDING_STATUS_WRITING_LEADIN) return 4;
    if (status & RECORDING_STATUS_BUFFERING) return 3;
    if (status & RECORDING_STATUS_PREPARING) return 2;
    if (status & RECORDING_STATUS_STARTING) return 1;
    return 0;
}
constexpr std::int32_t kStageWritingTracks = 5;

// Write speed (in x) of a parameter speed mask: 4 gives 3, 2 gives 2, 0, 1 and 3 give 1,
// any larger 2^k gives 2k - 2.
constexpr std::int32_t SpeedOfMask(std::uint32_t mask) {
    if (mask == 4) return 3;
    if (mask == 2) return 2;
    if (mask <= 3) return 1;
    std::int32_t k = 0;
    while (mask >>= 1) ++k;
    return 2 * k - 2;
}
// Speed mask of a write speed: 0 and 1 give 1, 2 gives 2, 3 gives 4, any other s gives
// 2^(s / 2 + 1), so an odd speed is stored as the even speed below it.
constexpr std::uint32_t MaskOfSpeed(std::uint32_t speed) {
    if (speed <= 1) return 1;
    if (speed == 2) return 2;
    if (speed == 3) return 4;
    const std::uint32_t bit = speed / 2 + 1;
    return 1u << (bit < 31 ? bit : 31); // above 60x: the fastest code there is
}
