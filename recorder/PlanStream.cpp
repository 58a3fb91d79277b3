#include "recorder/PlanStream.h"

#include <algorithm>
#include <cstring>

#include "recorder/RedBook.h"

namespace {
constexpr std::size_t kSubcodeBytes = 96;
constexpr std::size_t kRawSectorBytes = RedBook::kFrameBytes + kSubcodeBytes;
} // namespace

ComPtr<PlanStream> PlanStream::Track(const SessionPlan& plan, ImageRecorder::OpenTrack open, std::size_t track) {
    auto audio = std::make_unique<PlanAudioReader>(plan, std::move(open), track, track, false);
    std::uint64_t size = audio->Size();
    return ComPtr<PlanStream>::Attach(new PlanStream(size, std::move(audio), nullptr));
}

ComPtr<PlanStream> PlanStream::RawDisc(const SessionPlan& plan, ImageRecorder::OpenTrack open,
                                       ImageRecorder::OpenTrack openPregap, std::vector<CdTextPacks::Pack> text,
                                       RawDiscImage::Codes codes) {
    auto audio = std::make_unique<PlanAudioReader>(plan, std::move(open), 0, plan.tracks.size() - 1, true);
    audio->SetPregapSource(std::move(openPregap));
    auto raw = std::make_unique<RawDiscImage>(plan, std::move(text));
    raw->SetCodes(std::move(codes));
    std::uint64_t size = raw->SectorCount() * kRawSectorBytes;
    return ComPtr<PlanStream>::Attach(new PlanStream(size, std::move(audio), std::move(raw)));
}

PlanStream::PlanStream(std::uint64_t size, std::unique_ptr<PlanAudioReader> audio, std::unique_ptr<RawDiscImage> raw)
    : PullStream(size), audio_(std::move(audio)), raw_(std::move(raw)) {
    if (raw_) {
        sectorBytes_.resize(kRawSectorBytes);
        sectorUsed_ = kRawSectorBytes;
    }
}

void PlanStream::Fill(std::uint8_t* output, std::size_t size) {
    if (!raw_) {
        audio_->Read(output, size);
        return;
    }
    while (size > 0) {
        if (sectorUsed_ == kRawSectorBytes) FillRawSector();
        std::size_t count = std::min(size, kRawSectorBytes - sectorUsed_);
        std::memcpy(output, sectorBytes_.data() + sectorUsed_, count);
        sectorUsed_ += count;
        output += count;
        size -= count;
    }
}

void PlanStream::FillRawSector() {
    // Lead-in and lead-out carry digital silence; the program area the plan's bytes in order.
    if (raw_->AreaOf(sector_) == RawDiscImage::Area::Program)
        audio_->Read(sectorBytes_.data(), RedBook::kFrameBytes);
    else
        std::memset(sectorBytes_.data(), 0, RedBook::kFrameBytes);
    raw_->Subcode(sector_, sectorBytes_.data() + RedBook::kFrameBytes);
    ++sector_;
    sectorUsed_ = 0;
}
