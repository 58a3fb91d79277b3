#pragma once
// BurnEventPoster: the application's BurnEventSink. Turns every event of the engine client
// into the host's result values in the registry and, when a burn window is attached, a
// message posted through the BurnWindowChannel (with a queued record where the message's
// parameters don't suffice), and keeps what the run learns from the events: the engine's
// track numbers of the playlist's entries, whether every track was accepted, whether the
// recording has started, an error was reported or the user cancelled. Its slots are called
// on the main thread, the engine client's worker thread and the engine's own threads, where
// they only write the registry and post; a slot never throws. Part of the application
// object, which owns the request, the channel and the result values it refers to.
#include "app/BurnRequest.h"
#include "app/BurnResults.h"
#include "app/BurnWindowChannel.h"
#include "engine/BurnEventSink.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class RegistryResults;

class BurnEventPoster final : public BurnEventSink {
public:
    BurnEventPoster(BurnRequest& request, BurnWindowChannel& channel, const RegistryResults& results)
        : request_(request), channel_(channel), results_(results) {}
    BurnEventPoster(const BurnEventPoster&) = delete;
    BurnEventPoster& operator=(const BurnEventPoster&) = delete;

    // The engine track numbers sized to the playlist, every entry unknown.
    void ResetTrackNumbers();
    // The playlist position (from 0) of an engine track index: the position whose accepted
    // track got that number, else the last entry with the record's path; -1 when none.
    std::int32_t PositionOfEngineTrack(std::int32_t engineTrack, const TrackRecord* record);
    // The track value of a refused track's result code.
    static TrackResult RefusedTrackValue(HRESULT code);

    // Marks the run as cancelled by the user (every later ending is a cancel).
    void MarkUserCancelled() { userCancelled_ = true; }
    bool UserCancelled() const { return userCancelled_.load(); }
    bool AllTracksAccepted() const { return allAccepted_.load(); }
    bool RecordingHasStarted() const { return recordingStarted_.load(); }
    bool ErrorReported() const { return errorReported_.load(); }

    // BurnEventSink: each writes its result value and posts its message.
    HRESULT MediaChanged(bool present) override;
    HRESULT DeviceStateChanged(bool ready) override;
    HRESULT EraseStarted() override;
    HRESULT EraseProgress(std::int32_t percent) override;
    HRESULT DeviceFailure(HRESULT code) override;
    HRESULT EraseCompleted() override;
    HRESULT RecordingStarted() override;
    HRESULT RecordingFailedShort(std::int32_t value) override;
    HRESULT StageStarted(std::int32_t stage) override;
    HRESULT StageProgress(std::int32_t stage, std::int32_t percent1, std::int32_t percent2) override;
    HRESULT StageEnded(std::int32_t stage) override;
    HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) override;
    HRESULT TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) override;
    HRESULT TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t percent1,
                          std::int32_t percent2) override;
    HRESULT TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) override;
    HRESULT TrackInterrupted(std::int32_t track, const TrackRecord* record) override;
    HRESULT TrackError(std::int32_t track, const TrackRecord* record, HRESULT code, const std::string& text) override;
    HRESULT RecordingFailed(HRESULT code, const std::string& text) override;
    HRESULT RecordingCancelled(bool byUser) override;
    HRESULT RecordingFinished() override;
    HRESULT RunEnded(bool ended, bool cancelled) override;
    HRESULT TrackPreparationStarted() override;
    HRESULT CancelRequested(bool* cancel) override;
    HRESULT TrackPreparationProgress(std::int32_t position, const std::string& path, std::int32_t percent) override;
    HRESULT TrackAccepted(std::int32_t position, const std::string& path, std::int32_t engineTrack) override;
    HRESULT TrackRefused(std::int32_t position, const std::string& path, HRESULT code) override;
    HRESULT TrackPreparationFinished() override;

private:
    // Runs a slot's handler and answers S_OK; whatever it throws (the registry area that
    // can't be opened) is traced under the slot's name and goes no further.
    template <class Handler>
    static HRESULT TraceThrowsAnswerOk(const char* slot, Handler&& handler) noexcept;

    void SetBurnResults(BurnResult result) const;
    void SetTrackValue(std::int32_t position, TrackResult result) const;
    // Posts the record of a per-track event for the playlist position.
    void PostTrackRecord(UINT message, std::int32_t position, const TrackRecord* record, std::int32_t percent1,
                         std::int32_t percent2, HRESULT code, const std::string& text);

    BurnRequest& request_;
    BurnWindowChannel& channel_;
    const RegistryResults& results_;
    std::mutex numbersLock_; // guards request_.engineTrackNumbers
    std::atomic<bool> allAccepted_{true};
    std::atomic<bool> userCancelled_{false};
    std::atomic<bool> recordingStarted_{false};
    std::atomic<bool> errorReported_{false};
};
