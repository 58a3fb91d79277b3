#include "engine/RecordingProgressLoop.h"

#include "engine/EngineClient.h"
#include "support/PumpMessagesFor.h"

namespace {

// Percentage of done in total, truncated; keeps last when the count is unchanged or the
// total is 0.
std::int32_t Percent(LONG done, LONG total, LONG lastDone, std::int32_t last, bool first) {
    if ((!first && done == lastDone) || total == 0) return last;
    return static_cast<std::int32_t>(done * 100.0 / total);
}

bool IsStageOutsideTracks(LONG stage) { return (stage >= 1 && stage <= 4) || stage == 6 || stage == 7; }

} // namespace

void RecordingProgressLoop::ReportProgress(LONG stage, LONG track, LONG trackDone, LONG trackTotal, LONG overallDone,
                                           LONG overallTotal) {
    BurnEventSink* sink = client_.Sink();
    const std::int32_t trackPercent = Percent(trackDone, trackTotal, trackDone_, trackPercent_, first_);
    const std::int32_t overallPercent = Percent(overallDone, overallTotal, overallDone_, overallPercent_, first_);
    const bool changed = first_ || trackPercent != trackPercent_ || overallPercent != overallPercent_;
    const auto endOpenTrack = [&] {
        if (openTrack_ < 0) return;
        if (sink) sink->TrackEnded(openTrack_, client_.Track(openTrack_), 100);
        if (static_cast<std::size_t>(openTrack_) < ended_.size()) ended_[static_cast<std::size_t>(openTrack_)] = true;
        openTrack_ = -1;
    };
    if (stage != stage_ && sink) {
        if (IsStageOutsideTracks(stage_)) sink->StageEnded(stage_);
        sink->StageStarted(stage);
    }
    if (stage == kStageWritingTracks) {
        if (track == openTrack_) {
            if (changed && track >= 0 && sink)
                sink->TrackProgress(track, client_.Track(track), trackPercent, overallPercent);
        } else {
            endOpenTrack();
            if (track >= 0) {
                if (sink) sink->TrackStarted(track, client_.Track(track), trackPercent);
                openTrack_ = track;
            }
        }
    } else if (stage == 7) {
        endOpenTrack();
        if (changed && sink) sink->StageProgress(stage, trackPercent, overallPercent);
    } else if (stage >= 1 && stage <= 6) {
        if (changed && sink) sink->StageProgress(stage, trackPercent, overallPercent);
    }
    stage_ = stage;
    trackDone_ = trackDone;
    overallDone_ = overallDone;
    trackPercent_ = trackPercent;
    overallPercent_ = overallPercent;
    first_ = false;
}

void RecordingProgressLoop::ReportErrors(LONG stage, LONG track) {
    BurnEventSink* sink = client_.Sink();
    const auto report = [&](HRESULT code, const std::string& text) {
        if (!sink) return;
        if (stage == kStageWritingTracks) sink->TrackError(track, client_.Track(track), code, text);
        else sink->StageError(stage, code, text);
    };
    LONG count = 0;
    client_.GetErrorCount(&count);
    for (LONG i = 0; i < count; ++i) {
        HRESULT code = 0;
        std::string text;
        if (SUCCEEDED(client_.GetError(i, &code, &text))) report(code, text);
    }
    report(E_FAIL, std::string());
}

void RecordingProgressLoop::EndTracksBefore(LONG before) {
    for (std::size_t t = 0; t < ended_.size() && static_cast<LONG>(t) < before; ++t) {
        if (ended_[t]) continue;
        ended_[t] = true;
        if (BurnEventSink* sink = client_.Sink())
            sink->TrackEnded(static_cast<std::int32_t>(t), client_.Track(static_cast<LONG>(t)), 100);
    }
    if (openTrack_ < before) openTrack_ = -1;
}

HRESULT RecordingProgressLoop::Run() {
    EngineSession& session = *client_.Session();
    LONG stage = 0, track = -1, trackDone = 0, trackTotal = 0, overallDone = 0, overallTotal = 0, buffer = 0;
    for (;;) {
        PumpMessagesFor(stage_ == kStageWritingTracks ? 50 : 250);
        if (FAILED(
                client_.GetProgress(&stage, &track, &trackDone, &trackTotal, &overallDone, &overallTotal, &buffer))) {
            PumpMessagesFor(2000);
            if (!session.finished) continue;
            stage = stage_;
            track = openTrack_;
        }
        // A stopped engine may already report itself idle: the track being written when
        // it stopped is then the one the loop last reported.
        LONG endStage = stage, endTrack = track;
        if (stage != kStageWritingTracks && stage_ == kStageWritingTracks) {
            endStage = stage_;
            endTrack = openTrack_;
        } else if (stage != kStageWritingTracks && stage_ < kStageWritingTracks && track >= 0) {
            // It stopped within a track before any poll saw the tracks being written: the
            // engine still names the track it had started.
            endStage = kStageWritingTracks;
            endTrack = track;
        }
        bool cancelled = false;
        client_.IsCancelled(&cancelled);
        if (cancelled) {
            // The tracks before the one being written were written whole.
            if (endStage == kStageWritingTracks) EndTracksBefore(endTrack);
            if (BurnEventSink* sink = client_.Sink()) {
                sink->RecordingCancelled(true);
                if (endStage == kStageWritingTracks && endTrack >= 0)
                    sink->TrackInterrupted(endTrack, client_.Track(endTrack));
            }
            return S_OK;
        }
        // Errors come before the end: a failed recording never reports itself finished.
        LONG errors = 0;
        if (SUCCEEDED(client_.GetErrorCount(&errors)) && errors > 0) {
            if (endStage == kStageWritingTracks) EndTracksBefore(endTrack);
            ReportErrors(endStage, endTrack);
            return S_OK;
        }
        if (session.finished) {
            if (!session.failed) {
                // Every track of a finished recording was written, also those no poll saw.
                EndTracksBefore(static_cast<LONG>(ended_.size()));
                if (BurnEventSink* sink = client_.Sink()) {
                    if (stage_ >= 0) sink->StageEnded(stage_); // none when no poll saw a stage
                    sink->RecordingFinished();
                }
            }
            return S_OK;
        }
        ReportProgress(stage, track, trackDone, trackTotal, overallDone, overallTotal);
    }
}
