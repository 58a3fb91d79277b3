#include "recorder/CdTextPacks.h"

#include <cstring>

#include <algorithm>
#include <string>

namespace {

using Pack = CdTextPacks::Pack;

constexpr std::uint8_t kBlock = 0;
constexpr std::uint8_t kCharacterCodeLatin1 = 0x00;
constexpr std::uint8_t kLanguageEnglish = 0x09;
constexpr std::size_t kSizePacks = 3;
constexpr std::uint8_t kMaxCharacterPosition = 15;

// table[b]: the CRC register after shifting byte b through it.
constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t crc = b << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x8000) ? 0x1021 : 0);
        table[b] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();

// Appends a pack numbered after the ones before it; text holds kTextBytes bytes.
void AddPack(std::vector<Pack>& packs, std::uint8_t type, std::uint8_t id2, std::size_t position,
             const std::uint8_t* text) {
    Pack pack{};
    pack[0] = type;
    pack[1] = id2;
    pack[2] = static_cast<std::uint8_t>(packs.size()); // past 255 only until Build refuses
    pack[3] = static_cast<std::uint8_t>(kBlock << 4 | std::min<std::size_t>(position, kMaxCharacterPosition));
    std::copy(text, text + CdTextPacks::kTextBytes, pack.begin() + 4);
    std::uint16_t crc = CdTextPacks::Crc(pack.data(), 16);
    pack[16] = static_cast<std::uint8_t>(crc >> 8);
    pack[17] = static_cast<std::uint8_t>(crc);
    packs.push_back(pack);
}

// strings: the disc's, then one per track from firstTrack on. Each ends with a NUL; they run
// on from pack to pack. A pack names the string holding its first byte and that byte's
// index in it.
void AddTexts(std::vector<Pack>& packs, std::uint8_t type, const std::vector<std::string>& strings, int firstTrack) {
    std::string stream;
    std::vector<std::size_t> starts;
    for (const std::string& s : strings) {
        starts.push_back(stream.size());
        stream += s;
        stream += '\0';
    }
    constexpr std::size_t kText = CdTextPacks::kTextBytes;
    stream.resize((stream.size() + kText - 1) / kText * kText, '\0'); // the last pack padded
    std::size_t current = 0; // the string holding the pack's first byte
    for (std::size_t at = 0; at < stream.size(); at += kText) {
        while (current + 1 < starts.size() && starts[current + 1] <= at) ++current;
        auto track = static_cast<std::uint8_t>(current == 0 ? 0 : firstTrack + static_cast<int>(current) - 1);
        AddPack(packs, type, track, at - starts[current], reinterpret_cast<const std::uint8_t*>(stream.data() + at));
    }
}

// The 36 bytes the size-information packs carry.
std::array<std::uint8_t, kSizePacks * CdTextPacks::kTextBytes> SizeInformation(const std::vector<Pack>& textPacks,
                                                                                int firstTrack, int lastTrack) {
    std::array<std::uint8_t, kSizePacks * CdTextPacks::kTextBytes> info{};
    info[0] = kCharacterCodeLatin1;
    info[1] = static_cast<std::uint8_t>(firstTrack);
    info[2] = static_cast<std::uint8_t>(lastTrack);
    info[3] = 0; // no copyright flags
    for (const Pack& pack : textPacks) ++info[4 + (pack[0] - 0x80)]; // packs per type 0x80 to 0x8F
    info[4 + (CdTextPacks::kSizeInformation - 0x80)] = kSizePacks;
    info[20 + kBlock] = static_cast<std::uint8_t>(textPacks.size() + kSizePacks - 1); // last sequence number per block
    info[28 + kBlock] = kLanguageEnglish;                                              // language code per block
    return info;
}

} // namespace

std::uint16_t CdTextPacks::Crc(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ data[i]) & 0xFF]);
    return static_cast<std::uint16_t>(~crc);
}

namespace {

// Latin Extended-A, U+0100 to U+017F, as the plain letter a display without the accent shows.
constexpr char kExtendedA[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi..JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo..RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The Latin-1 letter an accent mark makes of the letter before it: mark, base letters, results.
struct Composition {
    std::uint32_t mark;
    const char* bases;
    const char* results; // ISO-8859-1
};
constexpr Composition kCompositions[] = {
    {0x300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
    {0x301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
    {0x302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
    {0x303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
    {0x308, "AEIOUaeiouy", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF"},
    {0x30A, "Aa", "\xC5\xE5"},
    {0x327, "Cc", "\xC7\xE7"},
};

} // namespace

void CdTextPacks::Combine(std::string& out, std::uint32_t mark) {
    // A mark without a letter it composes with is left off: the letter shows as it is.
    if (out.empty()) return;
    for (const Composition& composition : kCompositions) {
        if (composition.mark != mark) continue;
        const char* base = std::strchr(composition.bases, out.back());
        if (base && out.back() != '\0') out.back() = composition.results[base - composition.bases];
    }
}

std::string CdTextPacks::Fallback(std::uint32_t code) {
    switch (code) {
    case 0x132: return "IJ";
    case 0x133: return "ij";
    case 0x152: return "OE";
    case 0x153: return "oe";
    case 0x192: return "f";
    case 0x218: return "S";
    case 0x219: return "s";
    case 0x21A: return "T";
    case 0x21B: return "t";
    case 0x2026: return "...";
    case 0x20AC: return "EUR";
    case 0x2122: return "TM";
    case 0x2039: return "<";
    case 0x203A: return ">";
    default: break;
    }
    if (code >= 0x100 && code < 0x180) return std::string(1, kExtendedA[code - 0x100]);
    if (code >= 0x2010 && code <= 0x2015) return "-"; // hyphens and dashes
    if ((code >= 0x2018 && code <= 0x201B) || code == 0x2032) return "'";
    if ((code >= 0x201C && code <= 0x201F) || code == 0x2033) return "\"";
    if (code == 0x2022) return "\xB7";
    return "?";
}

std::string CdTextPacks::ToLatin1(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80             ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0; // 0: not a lead byte
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length); // the lead byte's payload
        bool wellFormed = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + k]);
            wellFormed = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!wellFormed || code < kShortest[length]) { // overlong forms could hide a NUL
            out += '?';
            ++i;
            continue;
        }
        bool control = code < 0x20 || (code >= 0x7F && code < 0xA0);
        if (control)
            out += '?';
        else if (code <= 0xFF)
            out += static_cast<char>(code);
        else if (code >= 0x300 && code < 0x370)
            Combine(out, code);
        else
            out += Fallback(code);
        i += length;
    }
    return out;
}

std::vector<CdTextPacks::Pack> CdTextPacks::Build(const CueText& disc, const std::vector<CueText>& tracks,
                                                  int firstTrack) {
    std::vector<Pack> packs;
    if (tracks.empty()) return packs;
    const struct {
        std::uint8_t type;
        std::string CueText::*field;
    } types[] = {{kTitle, &CueText::title}, {kPerformer, &CueText::performer}, {kSongwriter, &CueText::songwriter}};
    for (const auto& t : types) {
        std::vector<std::string> strings{ToLatin1(disc.*t.field)};
        for (const CueText& track : tracks) strings.push_back(ToLatin1(track.*t.field));
        if (std::any_of(strings.begin(), strings.end(), [](const std::string& s) { return !s.empty(); }))
            AddTexts(packs, t.type, strings, firstTrack);
    }
    if (packs.empty()) return packs;
    if (packs.size() > kMaxTextPacks)
        FENNEL_THROW(cdtext_too_large, "CdTextPacks::Build()",
                     (std::to_string(packs.size()) + " packs of text; a block holds " + std::to_string(kMaxTextPacks))
                         .c_str());
    auto info = SizeInformation(packs, firstTrack, firstTrack + static_cast<int>(tracks.size()) - 1);
    for (std::size_t i = 0; i < kSizePacks; ++i)
        AddPack(packs, kSizeInformation, static_cast<std::uint8_t>(i), 0, info.data() + i * kTextBytes);
    return packs;
}

std::string CdTextPacks::FileBytes(const std::vector<Pack>& packs) {
    const std::size_t length = packs.size() * kPackBytes + 2;
    std::string bytes{static_cast<char>(length >> 8 & 0xFF), static_cast<char>(length & 0xFF), '\0', '\0'};
    for (const Pack& pack : packs) bytes.append(reinterpret_cast<const char*>(pack.data()), pack.size());
    return bytes;
}
