#pragma once
// RecordingProgressLoop: the client's side of a running recording. Polls the engine's
// progress while the worker records, keeping the calling thread's messages flowing, and
// turns what it sees into the sink's events: stages started and ended, tracks started,
// progressing, ended (also those no poll saw) or interrupted, errors, and the recording's
// end (finished, cancelled or failed). One per recording, on the thread that called
// EngineClient::Record; it borrows the client, which outlives it.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class EngineClient;

class RecordingProgressLoop {
public:
    // trackCount: the tracks being recorded.
    RecordingProgressLoop(EngineClient& client, std::size_t trackCount) : client_(client), ended_(trackCount, false) {}
    RecordingProgressLoop(const RecordingProgressLoop&) = delete;
    RecordingProgressLoop& operator=(const RecordingProgressLoop&) = delete;

    // Runs until the recording is finished, cancelled or failed; answers S_OK then.
    HRESULT Run();

private:
    void ReportProgress(LONG stage, LONG track, LONG trackDone, LONG trackTotal, LONG overallDone, LONG overallTotal);
    void ReportErrors(LONG stage, LONG track);
    // Reports track ended for every track before the given one not yet reported ended.
    void EndTracksBefore(LONG before);

    EngineClient& client_;
    // What one pass remembers for the next.
    LONG stage_ = -1;
    LONG openTrack_ = -1; // started and not yet ended
    LONG trackDone_ = -1;
    LONG overallDone_ = -1;
    std::int32_t trackPercent_ = 0;
    std::int32_t overallPercent_ = 0;
    bool first_ = true;
    std::vector<bool> ended_;
};
