#include "app/BurnEventPoster.h"

#include "app/PluginEngineClient.h"
#include "app/RegistryResults.h"
#include "engine/EngineClientCodes.h"
#include "support/DebugTrace.h"
#include "ui/BurnMessages.h"

#include <exception>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<BurnEventRecord> NewRecord() { return std::make_unique<BurnEventRecord>(); }

} // namespace

void BurnEventPoster::ResetTrackNumbers() {
    std::lock_guard<std::mutex> lock(numbersLock_);
    request_.engineTrackNumbers.assign(request_.tracks.size(), -1);
}

TrackResult BurnEventPoster::RefusedTrackValue(HRESULT code) {
    switch (code) {
    case RECORDING_E_UNREADABLE_FILE_TYPE:
    case PluginEngineClient::kNotAllowed:
        return TrackResult::TypeRefused;
    case RECORDING_E_TOO_MANY_TRACKS:
        return TrackResult::TooManyTracks;
    case RECORDING_E_FILE_NOT_FOUND:
        return TrackResult::FileNotFound;
    case RECORDING_E_DISC_FULL:
        return TrackResult::NoSpace;
    default:
        return TrackResult::InvalidFile;
    }
}

std::int32_t BurnEventPoster::PositionOfEngineTrack(std::int32_t engineTrack, const TrackRecord* record) {
    {
        std::lock_guard<std::mutex> lock(numbersLock_);
        const std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
        if (engineTrack >= 0) {
            for (std::size_t p = 0; p < numbers.size(); ++p) {
                if (numbers[p] == engineTrack) return static_cast<std::int32_t>(p);
            }
        }
    }
    if (record) {
        for (std::size_t p = request_.tracks.size(); p-- > 0;) {
            if (request_.tracks[p].path == record->path) return static_cast<std::int32_t>(p);
        }
    }
    return -1;
}

void BurnEventPoster::SetBurnResults(BurnResult result) const { results_.SetBurnResults(result); }

void BurnEventPoster::SetTrackValue(std::int32_t position, TrackResult result) const {
    if (position < 0) {
        DebugTrace("BurnEventPoster: track event for no playlist position (value %d)\n", ValueOf(result));
        return;
    }
    results_.SetTrackResult(static_cast<std::uint32_t>(position) + 1, result);
}

void BurnEventPoster::PostTrackRecord(UINT message, std::int32_t position, const TrackRecord* record,
                                      std::int32_t percent1, std::int32_t percent2, HRESULT code,
                                      const std::string& text) {
    if (!channel_.Window()) return;
    auto posted = NewRecord();
    posted->position = position;
    if (record) {
        posted->path = record->path;
    } else if (position >= 0 && static_cast<std::size_t>(position) < request_.tracks.size()) {
        posted->path = request_.tracks[static_cast<std::size_t>(position)].path;
    }
    posted->percent1 = percent1;
    posted->percent2 = percent2;
    posted->code = code;
    posted->text = text;
    channel_.PostRecord(message, std::move(posted));
}

// ---- The slots. The registry may throw (the area can't be opened); that never leaves a
// slot, because the caller may be one of the engine's threads.

template <class Handler>
HRESULT BurnEventPoster::TraceThrowsAnswerOk(const char* slot, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        DebugTrace("BurnEventPoster::%s: %s\n", slot, e.what());
    } catch (...) {
        DebugTrace("BurnEventPoster::%s: unexpected exception\n", slot);
    }
    return S_OK;
}

HRESULT BurnEventPoster::MediaChanged(bool present) {
    return TraceThrowsAnswerOk("MediaChanged", [&] { channel_.Post(BurnMessages::kMediaChanged, present, 0); });
}

HRESULT BurnEventPoster::DeviceStateChanged(bool ready) {
    return TraceThrowsAnswerOk("DeviceStateChanged",
                               [&] { channel_.Post(BurnMessages::kDeviceStateChanged, ready, 0); });
}

HRESULT BurnEventPoster::EraseStarted() {
    return TraceThrowsAnswerOk("EraseStarted", [&] {
        SetBurnResults(BurnResult::Erasing);
        channel_.Post(BurnMessages::kEraseStarted, 0, 0);
    });
}

HRESULT BurnEventPoster::EraseProgress(std::int32_t percent) {
    return TraceThrowsAnswerOk("EraseProgress",
                               [&] { channel_.Post(BurnMessages::kEraseProgress, static_cast<WPARAM>(percent), 0); });
}

HRESULT BurnEventPoster::DeviceFailure(HRESULT code) {
    return TraceThrowsAnswerOk("DeviceFailure", [&] {
        SetBurnResults(code == RECORDING_E_MEDIA_NOT_REWRITABLE ? BurnResult::DiscNotErasable
                                                                : BurnResult::EraseFailed);
        channel_.Post(BurnMessages::kDeviceFailure, 0, static_cast<LPARAM>(code));
    });
}

HRESULT BurnEventPoster::EraseCompleted() {
    return TraceThrowsAnswerOk("EraseCompleted", [&] {
        SetBurnResults(BurnResult::Erased);
        channel_.Post(BurnMessages::kEraseCompleted, 0, 0);
    });
}

HRESULT BurnEventPoster::RecordingStarted() {
    return TraceThrowsAnswerOk("RecordingStarted", [&] {
        recordingStarted_ = true;
        SetBurnResults(BurnResult::Recording);
        channel_.Post(BurnMessages::kRecordingStarted, 0, 0);
    });
}

HRESULT BurnEventPoster::RecordingFailedShort(std::int32_t value) {
    return TraceThrowsAnswerOk("RecordingFailedShort", [&] {
        errorReported_ = true;
        SetBurnResults(BurnResult::Failed);
        channel_.Post(BurnMessages::kRecordingFailedShort, static_cast<WPARAM>(value), 0);
    });
}

HRESULT BurnEventPoster::StageStarted(std::int32_t stage) {
    return TraceThrowsAnswerOk("StageStarted",
                               [&] { channel_.Post(BurnMessages::kStageStarted, static_cast<WPARAM>(stage), 0); });
}

HRESULT BurnEventPoster::StageProgress(std::int32_t stage, std::int32_t percent1, std::int32_t percent2) {
    return TraceThrowsAnswerOk("StageProgress", [&] {
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->stage = stage;
        record->percent1 = percent1;
        record->percent2 = percent2;
        channel_.PostRecord(BurnMessages::kStageProgress, std::move(record));
    });
}

HRESULT BurnEventPoster::StageEnded(std::int32_t stage) {
    return TraceThrowsAnswerOk("StageEnded",
                               [&] { channel_.Post(BurnMessages::kStageEnded, static_cast<WPARAM>(stage), 0); });
}

HRESULT BurnEventPoster::StageError(std::int32_t stage, HRESULT code, const std::string& text) {
    return TraceThrowsAnswerOk("StageError", [&] {
        errorReported_ = true;
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->stage = stage;
        record->code = code;
        record->text = text;
        channel_.PostRecord(BurnMessages::kStageError, std::move(record));
    });
}

HRESULT BurnEventPoster::TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) {
    return TraceThrowsAnswerOk("TrackStarted", [&] {
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, TrackResult::Recording);
        PostTrackRecord(BurnMessages::kTrackStarted, position, record, percent, 0, S_OK, std::string());
    });
}

HRESULT BurnEventPoster::TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t percent1,
                                      std::int32_t percent2) {
    return TraceThrowsAnswerOk("TrackProgress", [&] {
        PostTrackRecord(BurnMessages::kTrackProgress, PositionOfEngineTrack(track, record), record, percent1,
                        percent2, S_OK, std::string());
    });
}

HRESULT BurnEventPoster::TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) {
    return TraceThrowsAnswerOk("TrackEnded", [&] {
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, TrackResult::Recorded);
        PostTrackRecord(BurnMessages::kTrackEnded, position, record, percent, 0, S_OK, std::string());
    });
}

HRESULT BurnEventPoster::TrackInterrupted(std::int32_t track, const TrackRecord* record) {
    return TraceThrowsAnswerOk("TrackInterrupted",
                               [&] { SetTrackValue(PositionOfEngineTrack(track, record), TrackResult::Interrupted); });
}

HRESULT BurnEventPoster::TrackError(std::int32_t track, const TrackRecord* record, HRESULT code,
                                   const std::string& text) {
    return TraceThrowsAnswerOk("TrackError", [&] {
        errorReported_ = true;
        const std::int32_t position = PositionOfEngineTrack(track, record);
        SetTrackValue(position, TrackResult::Failed);
        PostTrackRecord(BurnMessages::kTrackError, position, record, 0, 0, code, text);
    });
}

HRESULT BurnEventPoster::RecordingFailed(HRESULT code, const std::string& text) {
    return TraceThrowsAnswerOk("RecordingFailed", [&] {
        errorReported_ = true;
        SetBurnResults(userCancelled_ ? BurnResult::Cancelled : BurnResult::Failed);
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->code = code;
        record->text = text;
        channel_.PostRecord(BurnMessages::kRecordingFailed, std::move(record));
    });
}

HRESULT BurnEventPoster::RecordingCancelled(bool byUser) {
    return TraceThrowsAnswerOk("RecordingCancelled", [&] {
        if (byUser) userCancelled_ = true;
        SetBurnResults(userCancelled_ ? BurnResult::Cancelled : BurnResult::Failed);
        channel_.Post(BurnMessages::kRecordingCancelled, byUser, 0);
    });
}

HRESULT BurnEventPoster::RecordingFinished() {
    return TraceThrowsAnswerOk("RecordingFinished", [&] {
        SetBurnResults(allAccepted_ ? BurnResult::Finished : BurnResult::FinishedWithRefusals);
        channel_.Post(BurnMessages::kRecordingFinished, 0, 0);
    });
}

HRESULT BurnEventPoster::RunEnded(bool ended, bool cancelled) {
    return TraceThrowsAnswerOk("RunEnded", [&] {
        if (ended && cancelled) {
            userCancelled_ = true;
            SetBurnResults(BurnResult::Cancelled);
        } else {
            SetBurnResults(ended ? BurnResult::Failed : BurnResult::Started);
        }
        channel_.Post(BurnMessages::kRunEnded, ended, cancelled);
    });
}

HRESULT BurnEventPoster::TrackPreparationStarted() {
    return TraceThrowsAnswerOk("TrackPreparationStarted", [&] {
        allAccepted_ = true;
        results_.ClearTrackResults();
        channel_.Post(BurnMessages::kPreparationStarted, 0, 0);
    });
}

HRESULT BurnEventPoster::CancelRequested(bool* cancel) {
    if (cancel) *cancel = channel_.Window() != nullptr && (channel_.Cancelling() || userCancelled_);
    return S_OK;
}

HRESULT BurnEventPoster::TrackPreparationProgress(std::int32_t position, const std::string& path,
                                                 std::int32_t percent) {
    return TraceThrowsAnswerOk("TrackPreparationProgress", [&] {
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        record->percent1 = percent;
        channel_.PostRecord(BurnMessages::kPreparationProgress, std::move(record));
    });
}

HRESULT BurnEventPoster::TrackAccepted(std::int32_t position, const std::string& path, std::int32_t engineTrack) {
    return TraceThrowsAnswerOk("TrackAccepted", [&] {
        {
            std::lock_guard<std::mutex> lock(numbersLock_);
            std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
            if (position >= 0) {
                if (numbers.size() <= static_cast<std::size_t>(position)) numbers.resize(position + 1, -1);
                numbers[static_cast<std::size_t>(position)] = engineTrack;
            }
        }
        SetTrackValue(position, TrackResult::Accepted);
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        channel_.PostRecord(BurnMessages::kTrackAccepted, std::move(record));
    });
}

HRESULT BurnEventPoster::TrackRefused(std::int32_t position, const std::string& path, HRESULT code) {
    return TraceThrowsAnswerOk("TrackRefused", [&] {
        allAccepted_ = false;
        {
            std::lock_guard<std::mutex> lock(numbersLock_);
            std::vector<std::int32_t>& numbers = request_.engineTrackNumbers;
            if (position >= 0 && static_cast<std::size_t>(position) < numbers.size()) {
                numbers[static_cast<std::size_t>(position)] = -1;
            }
        }
        SetTrackValue(position, RefusedTrackValue(code));
        if (!channel_.Window()) return;
        auto record = NewRecord();
        record->position = position;
        record->path = path;
        record->code = code;
        channel_.PostRecord(BurnMessages::kTrackRefused, std::move(record));
    });
}

HRESULT BurnEventPoster::TrackPreparationFinished() {
    return TraceThrowsAnswerOk("TrackPreparationFinished",
                               [&] { channel_.Post(BurnMessages::kPreparationFinished, 0, 0); });
}
