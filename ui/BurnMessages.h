#pragma once
// The window messages through which the controller reports burn events to the burn window.
// Plain messages carry their values in the parameters; the others carry the address of a
// BurnEventRecord queued in the window's BurnWindowChannel.
#include <windows.h>

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
} // namespace BurnMessages
