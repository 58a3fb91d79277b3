#include "ui/SpeedSelection.h"

int SpeedSelection::Index(const std::vector<std::uint16_t>& speeds, std::int32_t chosen) {
    const auto target = static_cast<std::uint32_t>(chosen);
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        if (speeds[i] <= target) return static_cast<int>(i);
    }
    return static_cast<int>(speeds.size()) - 1;
}
