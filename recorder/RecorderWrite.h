#pragma once
// RecorderWrite: a prepared session's audio written to a real recorder, track-at-once or
// disc-at-once; a disc-at-once write carries the disc's CD-Text in its lead-in and the
// catalog number, ISRCs and CONTROL bits in its subcode. Runs on the recording thread; keeps
// a reference to the recorder, which its caller owns for the write.
#include <cstdint>
#include <string>
#include <vector>

#include "recorder/CdTextPacks.h"
#include "recorder/CueSheet.h"
#include "recorder/DiscState.h"
#include "recorder/ImageRecorder.h"
#include "recorder/RawDiscImage.h"
#include "recorder/SessionPlan.h"

class RealRecorder;

class RecorderWrite {
public:
    // What the prepared session puts on the disc besides its audio.
    struct Carried {
        SessionPlan plan;
        std::vector<CueText> texts;     // of the planned tracks
        CueText discText;
        std::vector<TrackCodes> codes;  // of the planned tracks
        std::string songwriter;         // the disc's
        std::string catalog;            // or none
    };

    RecorderWrite(RealRecorder& recorder, WriteMethod method, unsigned speed);

    // Writes plan's tracks; answers 0 or the failure's code as RealRecorder does. Throws
    // EngineFailure when the CD-Text does not fit.
    std::int32_t Write(const SessionPlan& plan, const Carried& carried, const ImageRecorder::OpenTrack& audio,
                       const ImageRecorder::OpenTrack& pregap, ImageRecorder::Observer& observer);

    // The CD-Text of a whole disc, all sessions' tracks; throws CdTextPacks::cdtext_too_large.
    static std::vector<CdTextPacks::Pack> DiscCdText(const DiscState& disc);
    // The CD-Text a disc-at-once write carries; throws EngineFailure when it does not fit.
    static std::vector<CdTextPacks::Pack> CdText(const Carried& carried);
    // The album's codes a disc-at-once write carries in its subcode.
    static RawDiscImage::Codes Codes(const Carried& carried);

private:
    RealRecorder& recorder_;
    WriteMethod method_;
    unsigned speed_; // in x; 0 the recorder's fastest
};
