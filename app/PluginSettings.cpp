#include "app/PluginSettings.h"

#include "lib/Certificate/Certificate.h"

#include <algorithm>
#include <cctype>

std::string PluginSettings::Text(const char* field) const {
    std::string text;
    configuration_.GetFieldAsText(field, text);
    return text;
}

std::int32_t PluginSettings::Number(const char* field) const { return configuration_.GetFieldAsNumber(field); }

void PluginSettings::Load() {
    std::call_once(loaded_, [this] {
        allowedExtensions_ = ParseAllowedExtensions(Text(kAllowedFileExtensions));
        maxBurnSpeed_ = Number(kMaxBurnSpeed);
    });
}

const std::vector<std::string>& PluginSettings::AllowedExtensions() {
    Load();
    return allowedExtensions_;
}

std::int32_t PluginSettings::MaxBurnSpeed() {
    Load();
    return maxBurnSpeed_;
}

std::vector<std::string> PluginSettings::ParseAllowedExtensions(const std::string& text) {
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

std::int32_t PluginSettings::WriteMethodCode(const std::string& text) {
    if (text == "TAO") return kWriteMethodTao;
    if (text == "SAO") return kWriteMethodSao;
    return kWriteMethodDao;
}

std::int32_t PluginSettings::ChooseWriteSpeed(SpeedDevice& device, std::int32_t limit, int mode) {
    std::vector<std::uint16_t> readSpeeds, writeSpeeds;
    const std::int32_t hr = device.GetSpeeds(kWriteSpeedMediaKind, readSpeeds, writeSpeeds);
    if (hr < 0) return hr;
    if (writeSpeeds.empty()) return 0;

    bool found = false;
    std::int32_t chosen = 0;
    for (const std::int32_t speed : writeSpeeds) {
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

    const std::int32_t fastest = *std::max_element(writeSpeeds.begin(), writeSpeeds.end());
    if (chosen > 0 && chosen <= fastest) device.SetWriteSpeed(static_cast<std::uint16_t>(chosen));
    return chosen;
}
