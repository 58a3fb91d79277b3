#pragma once
// BurnEventSink: the callback interface through which the engine client reports every event
// of a connection, an erase, a track preparation and a recording to the application. The
// slots are in their fixed order (0 to 26); each answers a COM result that the client
// ignores. Called on the thread that raises the event: the window's thread, the client's
// worker thread or one of the engine's own threads, so an implementation only records and
// posts; it never touches a window and never throws.
#include <windows.h>

#include <cstdint>
#include <string>

// The client's record of one added track; a sink gets a pointer valid during the call.
struct TrackRecord {
    std::string path;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class BurnEventSink {
public:
    /*  0 */ virtual HRESULT MediaChanged(bool present) = 0;
    /*  1 */ virtual HRESULT DeviceStateChanged(bool ready) = 0;
    /*  2 */ virtual HRESULT EraseStarted() = 0;
    /*  3 */ virtual HRESULT EraseProgress(std::int32_t percent) = 0;
    /*  4 */ virtual HRESULT DeviceFailure(HRESULT code) = 0;
    /*  5 */ virtual HRESULT EraseCompleted() = 0;
    /*  6 */ virtual HRESULT RecordingStarted() = 0;
    /*  7 */ virtual HRESULT RecordingFailedShort(std::int32_t value) = 0;
    /*  8 */ virtual HRESULT StageStarted(std::int32_t stage) = 0;
    /*  9 */ virtual HRESULT StageProgress(std::int32_t stage, std::int32_t percent1, std::int32_t percent2) = 0;
    /* 10 */ virtual HRESULT StageEnded(std::int32_t stage) = 0;
    /* 11 */ virtual HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) = 0;
    /* 12 */ virtual HRESULT TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) = 0;
    /* 13 */ virtual HRESULT TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t percent1,
                                           std::int32_t percent2) = 0;
    /* 14 */ virtual HRESULT TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) = 0;
    /* 15 */ virtual HRESULT TrackInterrupted(std::int32_t track, const TrackRecord* record) = 0;
    /* 16 */ virtual HRESULT TrackError(std::int32_t track, const TrackRecord* record, HRESULT code,
                                        const std::string& text) = 0;
    /* 17 */ virtual HRESULT RecordingFailed(HRESULT code, const std::string& text) = 0;
    /* 18 */ virtual HRESULT RecordingCancelled(bool byUser) = 0;
    /* 19 */ virtual HRESULT RecordingFinished() = 0;
    /* 20 */ virtual HRESULT RunEnded(bool ended, bool cancelled) = 0;
    /* 21 */ virtual HRESULT TrackPreparationStarted() = 0;
    /* 22 */ virtual HRESULT CancelRequested(bool* cancel) = 0;
    /* 23 */ virtual HRESULT TrackPreparationProgress(std::int32_t position, const std::string& path,
                                                      std::int32_t percent) = 0;
    /* 24 */ virtual HRESULT TrackAccepted(std::int32_t position, const std::string& path,
                                           std::int32_t engineTrack) = 0;
    /* 25 */ virtual HRESULT TrackRefused(std::int32_t position, const std::string& path, HRESULT code) = 0;
    /* 26 */ virtual HRESULT TrackPreparationFinished() = 0;

protected:
    // Sinks are owned by their implementers, never deleted through this interface.
    ~BurnEventSink() = default;
};
#pragma GCC diagnostic pop
