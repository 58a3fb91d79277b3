#include "recorder/RawDiscImage.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr std::uint8_t kAdrPosition = 1;
constexpr std::uint8_t kLeadOutTrack = 0xAA;
constexpr std::uint8_t kPointFirstTrack = 0xA0, kPointLastTrack = 0xA1, kPointLeadOut = 0xA2;
constexpr std::uint8_t kDiscTypeAudio = 0x00;
constexpr std::uint32_t kTocRepeat = 3; // sectors in a row that send the same TOC entry
constexpr std::uint32_t kFlashPeriod = 38; // lead-out P: 1 in the first half of each period
constexpr std::uint32_t kMaxAbsoluteFrames = RedBook::FramesOfMinutes(100);

std::uint8_t Bcd(std::uint32_t value) { return static_cast<std::uint8_t>((value / 10) << 4 | value % 10); }

// Three BCD bytes: minutes, seconds, frames; frames below 100 minutes.
void PutMsf(std::uint8_t* at, std::uint32_t frames) {
    at[0] = Bcd(frames / RedBook::FramesOfMinutes(1));
    at[1] = Bcd(frames / RedBook::kFramesPerSecond % 60);
    at[2] = Bcd(frames % RedBook::kFramesPerSecond);
}

[[noreturn]] void InvalidPlan(const std::string& what) {
    FENNEL_THROW(RawDiscImage::invalid_plan, "RawDiscImage::RawDiscImage()", what.c_str());
}

} // namespace

RawDiscImage::RawDiscImage(const SessionPlan& plan, std::vector<CdTextPacks::Pack> cdText, std::uint8_t control)
    : tracks_(plan.tracks), programFrames_(plan.totalFrames), cdText_(std::move(cdText)),
      control_(static_cast<std::uint8_t>(control & 0x0F)) {
    if (plan.startFrame != 0) InvalidPlan("the session starts at frame " + std::to_string(plan.startFrame) + ", not 0");
    if (tracks_.empty()) InvalidPlan("no tracks");
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        const PlannedTrack& track = tracks_[i];
        if (track.number < 1 || track.number > RedBook::kMaxTracks ||
            track.number != tracks_.front().number + static_cast<int>(i))
            InvalidPlan("track number " + std::to_string(track.number) + " out of sequence");
        if (track.startFrame != next)
            InvalidPlan("track " + std::to_string(track.number) + " starts at frame " +
                        std::to_string(track.startFrame) + ", not " + std::to_string(next));
        next = track.EndFrame();
    }
    if (next != programFrames_)
        InvalidPlan("the tracks end at frame " + std::to_string(next) + ", the session at " +
                    std::to_string(programFrames_));
    if (std::uint64_t{programFrames_} + kLeadOutSectors > kMaxAbsoluteFrames)
        InvalidPlan("the lead-out ends past 100 minutes");
}

RawDiscImage::Area RawDiscImage::AreaOf(std::uint64_t sector) const {
    if (sector >= SectorCount())
        FENNEL_THROW(sector_out_of_range, "RawDiscImage::AreaOf()",
                     (std::to_string(sector) + " of " + std::to_string(SectorCount()) + " sectors").c_str());
    return sector < kLeadInSectors ? Area::LeadIn : sector < LeadOutStart() ? Area::Program : Area::LeadOut;
}

std::uint32_t RawDiscImage::ProgramFrame(std::uint64_t sector) const {
    if (sector < kLeadInSectors || sector >= LeadOutStart())
        FENNEL_THROW(sector_out_of_range, "RawDiscImage::ProgramFrame()",
                     (std::to_string(sector) + " is not in the program area").c_str());
    return static_cast<std::uint32_t>(sector - kLeadInSectors);
}

std::uint64_t RawDiscImage::ProgramImageOffset(std::uint64_t sector) const {
    std::uint32_t frame = ProgramFrame(sector);
    const PlannedTrack& track = TrackAt(frame);
    return track.fileOffset + std::uint64_t{frame - track.startFrame} * RedBook::kFrameBytes;
}

const PlannedTrack& RawDiscImage::TrackAt(std::uint32_t frame) const {
    auto after = std::upper_bound(tracks_.begin(), tracks_.end(), frame,
                                  [](std::uint32_t f, const PlannedTrack& track) { return f < track.startFrame; });
    return *(after - 1); // the first track starts at frame 0
}

RawDiscImage::Q RawDiscImage::LeadInQ(std::uint32_t sector) const {
    Q q{};
    std::size_t entry = sector / kTocRepeat % (tracks_.size() + 3);
    if (entry < tracks_.size()) {
        q[2] = Bcd(static_cast<std::uint32_t>(tracks_[entry].number));
        PutMsf(&q[7], tracks_[entry].IndexOneFrame());
    } else if (entry == tracks_.size()) {
        q[2] = kPointFirstTrack;
        q[7] = Bcd(static_cast<std::uint32_t>(tracks_.front().number));
        q[8] = kDiscTypeAudio;
    } else if (entry == tracks_.size() + 1) {
        q[2] = kPointLastTrack;
        q[7] = Bcd(static_cast<std::uint32_t>(tracks_.back().number));
    } else {
        q[2] = kPointLeadOut;
        PutMsf(&q[7], programFrames_);
    }
    PutMsf(&q[3], sector);
    return q; // TNO 00
}

RawDiscImage::Q RawDiscImage::ProgramQ(std::uint32_t frame) const {
    const PlannedTrack& track = TrackAt(frame);
    Q q{};
    q[1] = Bcd(static_cast<std::uint32_t>(track.number));
    bool pregap = frame < track.IndexOneFrame();
    q[2] = pregap ? 0x00 : 0x01;
    PutMsf(&q[3], pregap ? track.IndexOneFrame() - frame : frame - track.IndexOneFrame());
    PutMsf(&q[7], frame);
    return q;
}

RawDiscImage::Q RawDiscImage::LeadOutQ(std::uint32_t sector) const {
    Q q{};
    q[1] = kLeadOutTrack;
    q[2] = 0x01;
    PutMsf(&q[3], sector);
    PutMsf(&q[7], programFrames_ + sector);
    return q;
}

bool RawDiscImage::P(std::uint64_t sector, Area area) const {
    switch (area) {
    case Area::LeadIn: return false;
    case Area::Program: {
        auto frame = static_cast<std::uint32_t>(sector - kLeadInSectors);
        return frame < TrackAt(frame).IndexOneFrame();
    }
    case Area::LeadOut: return (sector - LeadOutStart()) % kFlashPeriod < kFlashPeriod / 2;
    }
    return false;
}

void RawDiscImage::PutCdText(std::uint32_t sector, std::uint8_t* symbols) const {
    constexpr std::size_t kPacksPerSector = 4;
    for (std::size_t k = 0; k < kPacksPerSector; ++k) {
        const CdTextPacks::Pack& pack = cdText_[(std::size_t{sector} * kPacksPerSector + k) % cdText_.size()];
        for (std::size_t i = 0; i < CdTextPacks::kPackBytes; i += 3, symbols += 4) { // 3 bytes, 4 symbols
            symbols[0] = static_cast<std::uint8_t>(pack[i] >> 2);
            symbols[1] = static_cast<std::uint8_t>((pack[i] & 0x03) << 4 | pack[i + 1] >> 4);
            symbols[2] = static_cast<std::uint8_t>((pack[i + 1] & 0x0F) << 2 | pack[i + 2] >> 6);
            symbols[3] = static_cast<std::uint8_t>(pack[i + 2] & 0x3F);
        }
    }
}

void RawDiscImage::AlbumQ(std::uint32_t frame, Q& q) const {
    const PlannedTrack& track = TrackAt(frame);
    const std::size_t index = static_cast<std::size_t>(&track - tracks_.data());
    const std::uint8_t control = index < codes_.controls.size() ? codes_.controls[index] & 0x0F : control_;
    q[0] = static_cast<std::uint8_t>(control << 4 | kAdrPosition);
    auto digits = [](const std::string& text, std::size_t from, std::size_t count) {
        return text.size() >= from + count &&
               std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                           text.begin() + static_cast<std::ptrdiff_t>(from + count), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::uint8_t aframe = Bcd(frame % RedBook::kFramesPerSecond);
    if (frame % 100 == 10 && codes_.catalog.size() == 13 && digits(codes_.catalog, 0, 13)) {
        // Mode 2: thirteen digits, twelve zero bits, the absolute frame.
        q.fill(0);
        q[0] = static_cast<std::uint8_t>(control << 4 | 2);
        for (std::size_t i = 0; i < 13; ++i)
            q[1 + i / 2] |= static_cast<std::uint8_t>((codes_.catalog[i] - '0') << (i % 2 ? 0 : 4));
        q[9] = aframe;
        return;
    }
    const std::string isrc = index < codes_.isrcs.size() ? codes_.isrcs[index] : std::string();
    if (frame % 100 == 60 && frame >= track.IndexOneFrame() && isrc.size() == 12 && digits(isrc, 5, 7)) {
        // Mode 3: five characters of six bits (digits 0-9, letters from 17), two zero bits,
        // seven digits, four zero bits, the absolute frame.
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < 5; ++i) {
            const char c = isrc[i];
            const bool letter = c >= 'A' && c <= 'Z';
            if (!letter && !(c >= '0' && c <= '9')) return;
            bits = bits << 6 | static_cast<std::uint64_t>(letter ? c - 'A' + 17 : c - '0');
        }
        bits <<= 2;
        for (std::size_t i = 5; i < 12; ++i) bits = bits << 4 | static_cast<std::uint64_t>(isrc[i] - '0');
        bits <<= 4; // 64 bits: q[1] to q[8]
        q.fill(0);
        q[0] = static_cast<std::uint8_t>(control << 4 | 3);
        for (std::size_t i = 0; i < 8; ++i) q[1 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
        q[9] = aframe;
    }
}

void RawDiscImage::Subcode(std::uint64_t sector, std::uint8_t out[kSubcodeBytes]) const {
    Area area = AreaOf(sector);
    Q q = area == Area::LeadIn    ? LeadInQ(static_cast<std::uint32_t>(sector))
          : area == Area::Program ? ProgramQ(static_cast<std::uint32_t>(sector - kLeadInSectors))
                                  : LeadOutQ(static_cast<std::uint32_t>(sector - LeadOutStart()));
    q[0] = static_cast<std::uint8_t>(control_ << 4 | kAdrPosition);
    if (area == Area::Program) AlbumQ(static_cast<std::uint32_t>(sector - kLeadInSectors), q);
    std::uint16_t crc = CdTextPacks::Crc(q.data(), 10);
    q[10] = static_cast<std::uint8_t>(crc >> 8);
    q[11] = static_cast<std::uint8_t>(crc);

    std::fill(out, out + kSubcodeBytes, std::uint8_t{0});
    if (area == Area::LeadIn && !cdText_.empty()) PutCdText(static_cast<std::uint32_t>(sector), out);
    std::uint8_t p = P(sector, area) ? 0x80 : 0x00;
    for (std::size_t i = 0; i < kSubcodeBytes; ++i)
        out[i] = static_cast<std::uint8_t>(out[i] | p | ((q[i / 8] >> (7 - i % 8)) & 1) << 6);
}
