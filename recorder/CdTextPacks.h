#pragma once
// CdTextPacks: the CD-Text of an audio disc as the 18-byte packs the lead-in's R-W subcode
// carries. One block (block 0, ISO-8859-1, English): the titles, performers and songwriters of the
// disc and each track, ended by the three size-information packs. Stateless; any thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recorder/CueSheet.h"
#include "support/ContextException.h"

class CdTextPacks {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(cdtext_too_large, base_exception); // the texts need more packs than a block holds

    static constexpr std::size_t kPackBytes = 18;     // 4 header bytes, 12 text bytes, CRC
    static constexpr std::size_t kTextBytes = 12;
    static constexpr std::size_t kMaxTextPacks = 253; // a block holds 256, the last three give its sizes
    using Pack = std::array<std::uint8_t, kPackBytes>;

    // Pack types (ID1).
    static constexpr std::uint8_t kTitle = 0x80;
    static constexpr std::uint8_t kPerformer = 0x81;
    static constexpr std::uint8_t kSongwriter = 0x82;
    static constexpr std::uint8_t kSizeInformation = 0x8F;

    // tracks: the texts of the tracks numbered firstTrack, firstTrack + 1, ..., all within 1
    // to 99. A type of text is written only when the disc or a track has one (the others get
    // an empty string); no text at all, or no tracks, gives no packs. Texts are never cut:
    // throws cdtext_too_large when they need more than kMaxTextPacks packs.
    static std::vector<Pack> Build(const CueText& disc, const std::vector<CueText>& tracks, int firstTrack);

    // The packs as a binary CD-Text file (as a drive answers for the lead-in's CD-Text): a
    // 4-byte header (the length of what follows it plus 2, big-endian, then two zero bytes),
    // then the packs in order.
    static std::string FileBytes(const std::vector<Pack>& packs);

    // The CRC of subcode: polynomial 0x1021, initial value 0, inverted as it is stored
    // (big-endian) after the bytes it covers.
    static std::uint16_t Crc(const std::uint8_t* data, std::size_t size);

    // UTF-8 as ISO-8859-1, as a display of that character set best shows it: a letter with an
    // accent the set lacks as the plain letter (Ł as L, Œ as OE), a letter followed by a
    // combining accent as the accented letter where the set has it, typographic quotes, dashes
    // and the ellipsis as their plain forms, € as EUR. Any other character, a control
    // character and each byte of a malformed sequence become '?': nothing is dropped.
    static std::string ToLatin1(std::string_view utf8);

private:
    static void Combine(std::string& out, std::uint32_t mark);
    static std::string Fallback(std::uint32_t code);
};
