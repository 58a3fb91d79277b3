#pragma once
// The window messages through which the controller reports burn events to the burn window.
// Plain messages carry their values in the parameters; the others carry the address of a
// BurnEventRecord queued in the window's BurnWindowChannel.
#include <windows.h>

namespace BurnMessages {
constexpr UINT kRunEnded = WM_USER + 0x01;                // wParam ended, lParam cancelled
constexpr UINT kPreparationStarted = WM_USER + 0x02;      //
constexpr UINT kPreparationProgress = WM_USER + 0x03;     // record: position, path, percent1
constexpr UINT kTrackAccepted = WM_USER + 0x04;           // record: position, path
constexpr UINT kTrackRefused = WM_USER + 0x05;            // record: position, path, code
constexpr UINT kPreparationFinished = WM_USER + 0x06;     //
constexpr UINT kMediaChanged = WM_USER + 0x07;            // wParam boolean
constexpr UINT kDeviceStateChanged = WM_USER + 0x08;      // wParam boolean
constexpr UINT kEraseStarted = WM_USER + 0x09;            //
constexpr UINT kEraseProgress = WM_USER + 0x0A;           // wParam percent
constexpr UINT kDeviceFailure = WM_USER + 0x0B;           // lParam result code
constexpr UINT kEraseCompleted = WM_USER + 0x0C;          //
constexpr UINT kRecordingStarted = WM_USER + 0x0D;        //
constexpr UINT kRecordingFailedShort = WM_USER + 0x0E;    // wParam value
constexpr UINT kStageStarted = WM_USER + 0x0F;            // wParam stage
constexpr UINT kStageProgress = WM_USER + 0x10;           // record: stage, percent1, percent2
constexpr UINT kStageEnded = WM_USER + 0x11;              // wParam stage
constexpr UINT kStageError = WM_USER + 0x12;              // record: stage, code, text
constexpr UINT kTrackStarted = WM_USER + 0x13;            // record: position, path, percent1
constexpr UINT kTrackProgress = WM_USER + 0x14;           // record: position, path, percent1, percent2
constexpr UINT kTrackError = WM_USER + 0x15;              // record: position, path, code, text
constexpr UINT kTrackEnded = WM_USER + 0x16;              // record: position, path, percent1
constexpr UINT kRecordingFailed = WM_USER + 0x17;         // record: code, text
constexpr UINT kRecordingCancelled = WM_USER + 0x18;      // wParam cancelled by the user
constexpr UINT kRecordingFinished = WM_USER + 0x19;       //
} // namespace BurnMessages
