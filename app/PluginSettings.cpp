#include "app/PluginSettings.h"

#include <algorithm>
#include <cctype>

namespace PluginSettings {

std::vector<std::string> ParseAllowedExtensions(const std::string& text) {
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::vector<std::string> list;
    std::size_t start = 0;
    while (start <= upper.size()) {
        std::size_t comma = upper.find(',', start);
        if (comma == std::string::npos) comma = upper.size();
        if (comma > start) list.push_back(upper.substr(start, comma - start));
        start = comma + 1;
    }
    return list;
}

std::int32_t WriteMethodCode(const std::string& text) {
    if (text == "TAO") return WriteMethodTao;
    if (text == "SAO") return WriteMethodSao;
    return WriteMethodDao;
}

std::int32_t ChooseWriteSpeed(SpeedDevice& device, std::uint32_t limit, int mode) {
    std::vector<std::uint16_t> readSpeeds, writeSpeeds;
    const std::int32_t hr = device.GetSpeeds(kWriteSpeedMediaKind, readSpeeds, writeSpeeds);
    if (hr < 0) return hr;
    if (writeSpeeds.empty()) return 0;

    bool found = false;
    std::uint16_t chosen = 0;
    for (std::uint16_t speed : writeSpeeds) {
        if (mode == 1) {
            if (speed <= limit) {
                chosen = speed;
                found = true;
                break;
            }
        } else if (speed >= limit) {
            chosen = speed;
            found = true;
        }
    }
    if (!found) chosen = *std::min_element(writeSpeeds.begin(), writeSpeeds.end());

    const std::uint16_t fastest = *std::max_element(writeSpeeds.begin(), writeSpeeds.end());
    if (chosen > 0 && chosen <= fastest) device.SetWriteSpeed(chosen);
    return chosen;
}

} // namespace PluginSettings
