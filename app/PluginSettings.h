#pragma once
// PluginSettings: the settings rules the program applies to the fields of its signed
// configuration file: the allowed-extension list, the write-method code and the choice of
// write speed. Pure rules over values already read; the reading itself is PluginBase's.
#include <cstdint>
#include <string>
#include <vector>

namespace PluginSettings {

// Upper-cases the whole text and splits it at every ','; empty pieces are dropped, spaces
// inside or around a piece stay part of it.
std::vector<std::string> ParseAllowedExtensions(const std::string& text);

// Write-method codes of the recording options.
enum WriteMethod : std::int32_t { WriteMethodTao = 1, WriteMethodSao = 2, WriteMethodDao = 3 };

// Maps "DAO", "TAO" or "SAO" (exact, case-sensitive) to its code. Any other text, the empty
// text of an absent field included, gives disc-at-once, the program's preset method.
std::int32_t WriteMethodCode(const std::string& text);

// The device side of the write-speed choice.
class SpeedDevice {
public:
    virtual ~SpeedDevice() = default;
    // Fills the read and write speeds for a media kind, fastest first; answers a COM result.
    virtual std::int32_t GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                                   std::vector<std::uint16_t>& writeSpeeds) = 0;
    virtual std::int32_t SetWriteSpeed(std::uint16_t speed) = 0;
};

constexpr std::uint32_t kWriteSpeedMediaKind = 2;

// Mode 1 takes the fastest speed not above the limit; any other mode the slowest speed not
// below it; when none qualifies, the slowest listed speed. The speed is set on the device
// only when it is above 0 and not above the fastest listed speed; a refusal is not passed on.
// Answers the chosen speed, or the device's error when its speeds can't be read.
std::int32_t ChooseWriteSpeed(SpeedDevice& device, std::uint32_t limit, int mode);

} // namespace PluginSettings
