#include "lib/LangStrings/LangFile/AcceleratorTag.h"

#include <algorithm>
#include <array>

namespace {

struct KeyName {
    std::string_view name;
    std::uint16_t code;
};

// The virtual-key names a language file may use, without their VK_ prefix.
constexpr std::array<KeyName, 102> kKeyNames = {{
    {"LBUTTON", 0x01},   {"RBUTTON", 0x02},   {"CANCEL", 0x03},    {"MBUTTON", 0x04},
    {"BACK", 0x08},      {"TAB", 0x09},       {"CLEAR", 0x0C},     {"RETURN", 0x0D},
    {"SHIFT", 0x10},     {"CONTROL", 0x11},   {"MENU", 0x12},      {"PAUSE", 0x13},
    {"CAPITAL", 0x14},   {"KANA", 0x15},      {"HANGEUL", 0x15},   {"HANGUL", 0x15},
    {"JUNJA", 0x17},     {"FINAL", 0x18},     {"HANJA", 0x19},     {"KANJI", 0x19},
    {"ESCAPE", 0x1B},    {"CONVERT", 0x1C},   {"NONCONVERT", 0x1D}, {"ACCEPT", 0x1E},
    {"MODECHANGE", 0x1F}, {"SPACE", 0x20},    {"PRIOR", 0x21},     {"NEXT", 0x22},
    {"END", 0x23},       {"HOME", 0x24},      {"LEFT", 0x25},      {"UP", 0x26},
    {"RIGHT", 0x27},     {"DOWN", 0x28},      {"SELECT", 0x29},    {"PRINT", 0x2A},
    {"EXECUTE", 0x2B},   {"SNAPSHOT", 0x2C},  {"INSERT", 0x2D},    {"DELETE", 0x2E},
    {"HELP", 0x2F},      {"LWIN", 0x5B},      {"RWIN", 0x5C},      {"APPS", 0x5D},
    {"NUMPAD0", 0x60},   {"NUMPAD1", 0x61},   {"NUMPAD2", 0x62},   {"NUMPAD3", 0x63},
    {"NUMPAD4", 0x64},   {"NUMPAD5", 0x65},   {"NUMPAD6", 0x66},   {"NUMPAD7", 0x67},
    {"NUMPAD8", 0x68},   {"NUMPAD9", 0x69},   {"MULTIPLY", 0x6A},  {"ADD", 0x6B},
    {"SEPARATOR", 0x6C}, {"SUBTRACT", 0x6D},  {"DECIMAL", 0x6E},   {"DIVIDE", 0x6F},
    {"F1", 0x70},        {"F2", 0x71},        {"F3", 0x72},        {"F4", 0x73},
    {"F5", 0x74},        {"F6", 0x75},        {"F7", 0x76},        {"F8", 0x77},
    {"F9", 0x78},        {"F10", 0x79},       {"F11", 0x7A},       {"F12", 0x7B},
    {"F13", 0x7C},       {"F14", 0x7D},       {"F15", 0x7E},       {"F16", 0x7F},
    {"F17", 0x80},       {"F18", 0x81},       {"F19", 0x82},       {"F20", 0x83},
    {"F21", 0x84},       {"F22", 0x85},       {"F23", 0x86},       {"F24", 0x87},
    {"NUMLOCK", 0x90},   {"SCROLL", 0x91},    {"LSHIFT", 0xA0},    {"RSHIFT", 0xA1},
    {"LCONTROL", 0xA2},  {"RCONTROL", 0xA3},  {"LMENU", 0xA4},     {"RMENU", 0xA5},
    {"PROCESSKEY", 0xE5}, {"ATTN", 0xF6},     {"CRSEL", 0xF7},     {"EXSEL", 0xF8},
    {"EREOF", 0xF9},     {"PLAY", 0xFA},      {"ZOOM", 0xFB},      {"NONAME", 0xFC},
    {"PA1", 0xFD},       {"OEM_CLEAR", 0xFE},
}};

bool IsDigitOrLetter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::uint16_t VirtualKeyFromName(std::string_view word) {
    if (word.size() == 1) {
        char c = word.front();
        if (!IsDigitOrLetter(c)) return 0;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return static_cast<std::uint16_t>(c);
    }
    auto it = std::find_if(kKeyNames.begin(), kKeyNames.end(),
                           [word](const KeyName& k) { return k.name == word; });
    return it == kKeyNames.end() ? 0 : it->code;
}

std::string AcceleratorKeyName(std::uint8_t flags, std::uint16_t key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name = "ACCEL";
    if (flags & accel::kVirtKey) name += "_VIRTKEY";
    if (flags & accel::kControl) name += "_CONTROL";
    if (flags & accel::kAlt) name += "_ALT";
    if (flags & accel::kShift) name += "_SHIFT";
    name += "_0x";
    name += kHex[(key >> 4) & 0x0F];
    name += kHex[key & 0x0F];
    return name;
}
