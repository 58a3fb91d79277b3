#pragma once
// The window messages through which the controller reports burn events to the burn window.
// Plain messages carry their values in the parameters; the others carry the address of a
// BurnEventRecord queued in the window's BurnWindowChannel. kEvents names each event (for
// traces and tests) and says which carry a record.
#include <windows.h>

#include <iterator>
#include <string_view>

namespace BurnMessages {
// The window is a dialog, and dialogs own the first user messages (DM_GETDEFID, DM_SETDEFID,
// DM_REPOSITION): these start in the application's range instead. They never leave the process.
constexpr UINT kBase = WM_APP;
constexpr UINT kRunEnded = kBase + 0x01;                  // wParam ended, lParam cancelled
constexpr UINT kPreparationStarted = kBase + 0x02;        //
constexpr UINT kPreparationProgress = kBase + 0x03;       // record: position, path, percent1
constexpr UINT kTrackAccepted = kBase + 0x04;             // record: position, path
constexpr UINT kTrackRefused = kBase + 0x05;              // record: position, path, code
constexpr UINT kPreparationFinished = kBase + 0x06;       //
constexpr UINT kMediaChanged = kBase + 0x07;              // wParam boolean
constexpr UINT kDeviceStateChanged = kBase + 0x08;        // wParam boolean
constexpr UINT kEraseStarted = kBase + 0x09;              //
constexpr UINT kEraseProgress = kBase + 0x0A;             // wParam percent
constexpr UINT kDeviceFailure = kBase + 0x0B;             // lParam result code
constexpr UINT kEraseCompleted = kBase + 0x0C;            //
constexpr UINT kRecordingStarted = kBase + 0x0D;          //
constexpr UINT kRecordingFailedShort = kBase + 0x0E;      // wParam value
constexpr UINT kStageStarted = kBase + 0x0F;              // wParam stage
constexpr UINT kStageProgress = kBase + 0x10;             // record: stage, percent1, percent2
constexpr UINT kStageEnded = kBase + 0x11;                // wParam stage
constexpr UINT kStageError = kBase + 0x12;                // record: stage, code, text
constexpr UINT kTrackStarted = kBase + 0x13;              // record: position, path, percent1
constexpr UINT kTrackProgress = kBase + 0x14;             // record: position, path, percent1, percent2
constexpr UINT kTrackError = kBase + 0x15;                // record: position, path, code, text
constexpr UINT kTrackEnded = kBase + 0x16;                // record: position, path, percent1
constexpr UINT kRecordingFailed = kBase + 0x17;           // record: code, text
constexpr UINT kRecordingCancelled = kBase + 0x18;        // wParam cancelled by the user
constexpr UINT kRecordingFinished = kBase + 0x19;         //

// Each event's name, and whether it carries a record.
struct Event {
    UINT message;
    std::string_view name;
    bool record;
};
inline constexpr Event kEvents[] = {
    {kRunEnded, "RunEnded", false},
    {kPreparationStarted, "PreparationStarted", false},
    {kPreparationProgress, "PreparationProgress", true},
    {kTrackAccepted, "TrackAccepted", true},
    {kTrackRefused, "TrackRefused", true},
    {kPreparationFinished, "PreparationFinished", false},
    {kMediaChanged, "MediaChanged", false},
    {kDeviceStateChanged, "DeviceStateChanged", false},
    {kEraseStarted, "EraseStarted", false},
    {kEraseProgress, "EraseProgress", false},
    {kDeviceFailure, "DeviceFailure", false},
    {kEraseCompleted, "EraseCompleted", false},
    {kRecordingStarted, "RecordingStarted", false},
    {kRecordingFailedShort, "RecordingFailedShort", false},
    {kStageStarted, "StageStarted", false},
    {kStageProgress, "StageProgress", true},
    {kStageEnded, "StageEnded", false},
    {kStageError, "StageError", true},
    {kTrackStarted, "TrackStarted", true},
    {kTrackProgress, "TrackProgress", true},
    {kTrackError, "TrackError", true},
    {kTrackEnded, "TrackEnded", true},
    {kRecordingFailed, "RecordingFailed", true},
    {kRecordingCancelled, "RecordingCancelled", false},
    {kRecordingFinished, "RecordingFinished", false},
};

// Whether the message is one of the events.
constexpr bool IsEvent(UINT message) { return message >= kRunEnded && message <= kRecordingFinished; }
// The event's name ("TrackStarted"); empty for any other message.
constexpr std::string_view Name(UINT message) {
    return IsEvent(message) ? kEvents[message - kRunEnded].name : std::string_view();
}
// Whether the event's lParam is the address of a queued record.
constexpr bool CarriesRecord(UINT message) { return IsEvent(message) && kEvents[message - kRunEnded].record; }

// The table lists every event once, in the order of their values.
static_assert([] {
    for (UINT i = 0; i < std::size(kEvents); ++i) {
        if (kEvents[i].message != kRunEnded + i) return false;
    }
    return std::size(kEvents) == kRecordingFinished - kRunEnded + 1;
}());
} // namespace BurnMessages
