#include "recorder/RecorderWrite.h"

#include <windows.h>

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/RealRecorder.h"

RecorderWrite::RecorderWrite(RealRecorder& recorder, WriteMethod method, unsigned speed)
    : recorder_(recorder), method_(method), speed_(speed) {}

std::int32_t RecorderWrite::Write(const SessionPlan& plan, const Carried& carried, const ImageRecorder::OpenTrack& audio,
                                  const ImageRecorder::OpenTrack& pregap, ImageRecorder::Observer& observer) {
    if (method_ == WriteMethod::TrackAtOnce) return recorder_.WriteTrackAtOnce(plan, audio, observer, speed_);
    return recorder_.WriteDiscAtOnce(plan, CdText(carried), Codes(carried), audio, pregap, observer, speed_);
}

std::vector<CdTextPacks::Pack> RecorderWrite::DiscCdText(const DiscState& disc) {
    if (disc.tracks.empty()) return {};
    std::vector<CueText> texts;
    for (const DiscTrack& track : disc.tracks) texts.push_back({track.title, track.performer, track.codes.songwriter});
    return CdTextPacks::Build({disc.discText.title, disc.discText.performer, disc.songwriter}, texts,
                              disc.tracks.front().number);
}

std::vector<CdTextPacks::Pack> RecorderWrite::CdText(const Carried& carried) {
    // A real recorder writes disc-at-once on a blank disc only: this session is the disc, with
    // its texts as the cue sheet of an image would carry them.
    DiscState disc;
    disc.AddSession(carried.plan, "", carried.texts, {}, carried.discText, carried.codes);
    disc.songwriter = carried.songwriter;
    try {
        return DiscCdText(disc);
    } catch (const CdTextPacks::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::PlannedCdText()",
                      (std::string("The CD-Text does not fit on the disc: ") + e.Context()).c_str());
    }
}

RawDiscImage::Codes RecorderWrite::Codes(const Carried& carried) {
    // CONTROL: pre-emphasis, digital copy permitted, four channels (RECORDING_TRACK_* order)
    // are bits 0, 1 and 3 of Q's CONTROL.
    RawDiscImage::Codes codes{carried.catalog, {}, {}};
    for (const TrackCodes& track : carried.codes) {
        codes.isrcs.push_back(track.isrc);
        codes.controls.push_back(static_cast<std::uint8_t>((track.flags & RECORDING_TRACK_PREEMPHASIS ? 0x1 : 0) |
                                                           (track.flags & RECORDING_TRACK_COPY_PERMITTED ? 0x2 : 0) |
                                                           (track.flags & RECORDING_TRACK_FOUR_CHANNEL ? 0x8 : 0)));
    }
    return codes;
}
