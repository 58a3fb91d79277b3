#pragma once
// SpeedSelection: which entry of a write-speed list the drive and speed dialog selects for
// a chosen speed. Portable, stateless.
#include <cstdint>
#include <vector>

class SpeedSelection {
public:
    // The first entry, in list order (fastest first), whose speed is not above the chosen
    // one, compared unsigned so that no choice (-1) selects the first; the last entry when
    // none qualifies; -1 for an empty list.
    static int Index(const std::vector<std::uint16_t>& speeds, std::int32_t chosen);
};
