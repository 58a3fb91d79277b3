#pragma once
// AcceleratorTag: '<ACCEL [VIRTKEY] [SHIFT] [CONTROL] [ALT] key>' as one accelerator entry in
// the window system's layout (flag byte, key code, command). Also the key-name table and
// the canonical string key under which a language file stores an accelerator.
#include "lib/LangStrings/LangFile/LanguageTag.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace accel {
constexpr std::uint8_t kVirtKey = 0x01;
constexpr std::uint8_t kNoInvert = 0x02;
constexpr std::uint8_t kShift = 0x04;
constexpr std::uint8_t kControl = 0x08;
constexpr std::uint8_t kAlt = 0x10;
constexpr std::uint8_t kLastEntry = 0x80;
} // namespace accel

class AcceleratorTag : public LanguageTag {
public:
    AcceleratorTag() : LanguageTag(kAccelerator, true, true) {}

    std::uint8_t Flags() const { return flags_; }
    std::uint16_t Key() const { return key_; }
    std::uint16_t Command() const { return command_; }

    void AddFlags(std::uint8_t flags) { flags_ = static_cast<std::uint8_t>(flags_ | flags); }
    void SetKey(std::uint16_t key) { key_ = key; }

private:
    std::uint8_t flags_ = 0;
    std::uint16_t key_ = 0;
    std::uint16_t command_ = 0;
};

// Key code of a key word: one letter or digit (either case), or one of the 102 virtual-key
// names without their VK_ prefix (upper case). 0 for an unknown word.
std::uint16_t VirtualKeyFromName(std::string_view word);

// "ACCEL", then _VIRTKEY, _CONTROL, _ALT, _SHIFT for the flags set, then "_0x" and the key
// code's low byte as two upper-case hexadecimal digits: "ACCEL_VIRTKEY_CONTROL_0x4E".
std::string AcceleratorKeyName(std::uint8_t flags, std::uint16_t key);
