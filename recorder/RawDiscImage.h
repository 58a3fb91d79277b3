#pragma once
// RawDiscImage: the subcode of a blank disc's first session written disc-at-once as raw
// sectors of 2448 bytes (2352 of audio, 96 of subcode), from the first sector of the lead-in
// to the last of the lead-out: the P channel's pause flag, the Q channel's positions and,
// in the lead-in, its table of contents, and the CD-Text packs in the lead-in's R-W
// channels. Also says which area a sector of the stream lies in and where a program sector's
// audio lies in the session's image; the audio itself is the caller's (the lead-in and
// lead-out carry digital silence). Pure computation; const after construction, any thread.
//
// Stream sector s: the lead-in while s < kLeadInSectors (LBA s - 22650), then program frame
// s - kLeadInSectors (frame 0 is absolute time 00:00:00, LBA -150), then kLeadOutSectors of
// lead-out.
//
// Subcode layout, 96 bytes: byte i holds bit i of P in bit 7, bit i of Q in bit 6 (Q is 12
// bytes, most significant bit first) and R-W symbol i in bits 5 to 0.
//
// P: 1 through every pregap or pause (index 0, track 1's pregap included); 0 in the lead-in
// and from each track's index 1; in the lead-out it flashes at about 2 Hz: 1 in the first 19
// sectors of every 38 counted from the lead-out's start, 0 in the other 19.
//
// Q, always mode 1 (ADR 1) with the same CONTROL, all times BCD:
//   lead-in:  TNO 00, POINT, running lead-in time from 00:00:00, ZERO, PMIN PSEC PFRAME.
//             The POINTs run through the tracks (their index 1's absolute time), then A0
//             (first track, disc type 00), A1 (last track), A2 (the lead-out's absolute
//             time), each sent in three sectors in a row, over and over.
//   program:  TNO, INDEX (00 in a pregap, 01 from index 1), relative time (in a pregap the
//             time left to index 1, from index 1 the time since), ZERO, absolute time.
//   lead-out: TNO AA, INDEX 01, time since the lead-out's start, ZERO, absolute time.
//   then the CRC of those 10 bytes (CdTextPacks::Crc, big-endian).
//
// R-W: in the lead-in the CD-Text packs, four per sector, each as 24 six-bit symbols (most
// significant bits first), cycled from the lead-in's first sector on; zero elsewhere and
// when there is no CD-Text.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "recorder/CdTextPacks.h"
#include "recorder/RedBook.h"
#include "recorder/SessionPlan.h"
#include "support/ContextException.h"

class RawDiscImage {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(invalid_plan, base_exception);        // not a first session this class describes
    FENNEL_EXCEPTION(sector_out_of_range, base_exception); // past the stream, or not in the area asked about

    enum class Area { LeadIn, Program, LeadOut };

    static constexpr std::uint32_t kSubcodeBytes = 96;
    static constexpr std::uint32_t kSectorBytes = RedBook::kFrameBytes + kSubcodeBytes;
    static constexpr std::uint32_t kLeadInSectors = 22500; // 5 minutes: absolute time 95:00:00 up to frame 0
    static constexpr std::uint32_t kLeadOutSectors = RedBook::kFirstLeadOutFrames;

    // CONTROL bits of Q beside two-channel audio without pre-emphasis, copy not permitted (0).
    static constexpr std::uint8_t kControlPreEmphasis = 0x1;
    static constexpr std::uint8_t kControlCopyPermitted = 0x2;

    // plan: startFrame 0, tracks numbered one after the other and lying back to back from
    // frame 0 to totalFrames, the lead-out ending before 100:00:00 (else invalid_plan).
    // cdText: the lead-in's packs (CdTextPacks::Build), empty for none. control: the Q
    // CONTROL of every track, in its low four bits.
    RawDiscImage(const SessionPlan& plan, std::vector<CdTextPacks::Pack> cdText, std::uint8_t control = 0);

    // An album's codes in the program area's Q: the catalog number (13 digits, as mode 2 in
    // every sector whose frame is 10 modulo 100), each track's ISRC (12 characters, as mode 3
    // from its index 1 on, in every sector whose frame is 60 modulo 100) and each track's
    // CONTROL (by plan track; missing: the disc's). Codes that are not well formed are left out.
    struct Codes {
        std::string catalog;
        std::vector<std::string> isrcs;
        std::vector<std::uint8_t> controls;
    };
    void SetCodes(Codes codes) { codes_ = std::move(codes); }

    std::uint64_t SectorCount() const { return kLeadInSectors + std::uint64_t{programFrames_} + kLeadOutSectors; }
    std::uint64_t LeadOutStart() const { return kLeadInSectors + std::uint64_t{programFrames_}; } // a stream sector

    // These throw sector_out_of_range for a sector past SectorCount().
    Area AreaOf(std::uint64_t sector) const;
    void Subcode(std::uint64_t sector, std::uint8_t out[kSubcodeBytes]) const;

    // For a sector of the program area only (else sector_out_of_range): its frame, and the
    // byte offset of its audio in the session's image.
    std::uint32_t ProgramFrame(std::uint64_t sector) const;
    std::uint64_t ProgramImageOffset(std::uint64_t sector) const;

private:
    using Q = std::array<std::uint8_t, 12>;

    // The track whose pregap or audio holds the frame.
    const PlannedTrack& TrackAt(std::uint32_t frame) const;
    Q LeadInQ(std::uint32_t sector) const;
    Q ProgramQ(std::uint32_t frame) const;
    // The album's codes in a program frame's Q: its track's CONTROL, or the catalog number or
    // ISRC in place of the position where their turn has come.
    void AlbumQ(std::uint32_t frame, Q& q) const;
    Q LeadOutQ(std::uint32_t sector) const; // counted from the lead-out's start
    bool P(std::uint64_t sector, Area area) const;
    // The lead-in sector's 96 R-W symbols.
    void PutCdText(std::uint32_t sector, std::uint8_t* symbols) const;

    std::vector<PlannedTrack> tracks_;
    std::uint32_t programFrames_ = 0;
    std::vector<CdTextPacks::Pack> cdText_;
    std::uint8_t control_ = 0;
    Codes codes_;
};
