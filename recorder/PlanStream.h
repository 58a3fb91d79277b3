#pragma once
// PlanStream: what a recording API writer pulls for a session plan: one track's audio for the
// track-at-once writer (the writer adds the pause), or the whole disc as raw sectors for the
// raw writer (each sector's 2352 bytes of main channel followed by its 96 bytes of subcode,
// from the lead-in to the lead-out, with the program area's pregaps as the plan lays them out).
// Created and read on the recording thread; reference counted.
#include <memory>
#include <optional>

#include "recorder/PlanAudioReader.h"
#include "recorder/PullStream.h"
#include "recorder/RawDiscImage.h"
#include "support/ComPtr.h"

class PlanStream final : public PullStream {
public:
    static ComPtr<PlanStream> Track(const SessionPlan& plan, ImageRecorder::OpenTrack open, std::size_t track);
    static ComPtr<PlanStream> RawDisc(const SessionPlan& plan, ImageRecorder::OpenTrack open,
                                      ImageRecorder::OpenTrack openPregap, std::vector<CdTextPacks::Pack> text,
                                      RawDiscImage::Codes codes = {});

private:
    PlanStream(std::uint64_t size, std::unique_ptr<PlanAudioReader> audio, std::unique_ptr<RawDiscImage> raw);
    void Fill(std::uint8_t* output, std::size_t size) override;
    void FillRawSector(); // the next sector into sector_

    std::unique_ptr<PlanAudioReader> audio_;
    std::unique_ptr<RawDiscImage> raw_; // null: audio only
    std::uint64_t sector_ = 0;          // raw: the next sector to make
    std::vector<std::uint8_t> sectorBytes_;
    std::size_t sectorUsed_ = 0; // of sectorBytes_, already delivered
};
