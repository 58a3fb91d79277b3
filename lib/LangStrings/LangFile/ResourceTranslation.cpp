#include "lib/LangStrings/LangFile/ResourceTranslation.h"

#include "lib/LangStrings/LangFile/AcceleratorTag.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kAccelEntrySize = 8;

std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Write16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Append16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void Append32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

} // namespace

ResourceTranslation TranslateAcceleratorTable(const void* data, std::size_t size,
                                              const TextLookup& lookup,
                                              std::vector<unsigned char>& table) {
    if (data == nullptr) return ResourceTranslation::kNotActive;
    const auto* source = static_cast<const unsigned char*>(data);
    std::size_t count = 0;
    while ((count + 1) * kAccelEntrySize <= size) {
        ++count;
        if (Read16(source + (count - 1) * kAccelEntrySize) & accel::kLastEntry) break;
    }
    std::vector<unsigned char> result(count * kAccelEntrySize, 0);
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = source + i * kAccelEntrySize;
        unsigned char* target = result.data() + i * kAccelEntrySize;
        const std::uint16_t flags = Read16(entry);
        const std::uint16_t key = Read16(entry + 2);
        std::unique_ptr<LanguageTag> tag;
        if (auto text = lookup.Lookup(AcceleratorKeyName(static_cast<std::uint8_t>(flags), key))) {
            std::string reason;
            tag = ParseTag(*text, reason);
        }
        if (!tag || tag->GetType() != LanguageTag::kAccelerator) {
            std::memcpy(target, entry, kAccelEntrySize);
            continue;
        }
        const auto& accelerator = static_cast<const AcceleratorTag&>(*tag);
        const std::uint16_t kept = flags & (accel::kNoInvert | accel::kLastEntry);
        Write16(target, static_cast<std::uint16_t>(accelerator.Flags() | kept));
        Write16(target + 2, accelerator.Key());
        Write16(target + 4, Read16(entry + 4));
        changed = true;
    }
    if (!changed) return ResourceTranslation::kUnchanged;
    table = std::move(result);
    return ResourceTranslation::kTranslated;
}

ResourceTranslation TranslateDialogInitData(const void* data, std::size_t size,
                                            const TextLookup& lookup,
                                            std::vector<unsigned char>& result) {
    if (data == nullptr) return ResourceTranslation::kNotActive;
    const auto* source = static_cast<const unsigned char*>(data);
    std::vector<unsigned char> out;
    bool changed = false;
    std::size_t pos = 0;
    while (pos + 2 <= size) {
        const std::uint16_t control = Read16(source + pos);
        if (control == 0 || pos + 8 > size) break;
        const std::uint16_t message = Read16(source + pos + 2);
        const std::uint32_t length = Read32(source + pos + 4);
        if (length > size - pos - 8) break;
        const char* text = reinterpret_cast<const char*>(source + pos + 8);
        const void* zero = std::memchr(text, 0, length);
        const std::size_t textLength =
            zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : length;
        bool entryChanged = false;
        const std::string translated =
            lookup.Translate(std::string_view(text, textLength), entryChanged);
        changed = changed || entryChanged;
        Append16(out, control);
        Append16(out, message);
        Append32(out, static_cast<std::uint32_t>(translated.size() + 1));
        out.insert(out.end(), translated.begin(), translated.end());
        out.push_back(0);
        pos += 8 + length;
    }
    if (!changed) return ResourceTranslation::kUnchanged;
    Append16(out, 0);
    result = std::move(out);
    return ResourceTranslation::kTranslated;
}
