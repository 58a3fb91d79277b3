#pragma once
// BurnWindowPartner: what the burn window asks of the application that runs the burn. The
// window calls it on its own thread, except PrepareTracks, which its preparation thread
// calls. The application owns the decisions; the window only shows and forwards.
#include "ui/BurnEventRecord.h"
#include "inc/TrackEntry.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class EngineClient;

class BurnWindowPartner {
public:
    enum class Completion { Nothing, CloseWindow, ShowCloseButton };
    struct Modes {
        bool eraseFirst = false;
        bool eraseOnly = false;
        bool burnAtOnce = false;
    };
    // What Record did: refused the disc (the window is told to return to its ready state),
    // recorded, or left erasing to the window's disc-wait thread (the user agreed to erase).
    enum class RecordStart { Refused, Recorded, EraseFirst };
    // How the disc-wait thread ended: disc erased and ready; erase failed (the failure has
    // been reported as an event); or no device, or the disc was not ready in time.
    enum class DiscWait { Ready, EraseFailed, NotReady };

    virtual ~BurnWindowPartner() = default;

    // The queued record whose address a message carried; null when it is not there.
    virtual std::unique_ptr<BurnEventRecord> TakeRecord(LPARAM address) = 0;
    // The text of a string-table entry in the user's language.
    virtual std::string LoadText(UINT id) const = 0;
    // The engine client; null without one.
    virtual EngineClient* EngineAccess() = 0;
    virtual const std::vector<TrackEntry>& Tracks() = 0;
    virtual Modes RunModes() = 0;
    // The key of the text shown for a track the engine refused with this code.
    virtual UINT RefusalMessage(HRESULT code) const = 0;

    // On the preparation thread: erases first when asked, then hands every track over (none
    // when the erase failed, or when erasing is the run's only job).
    virtual void PrepareTracks(bool eraseFirst) = 0;
    // Record pressed: checks the disc (asking) and records, unless the disc is to be erased first.
    virtual RecordStart Record(HWND window) = 0;
    // The disc-wait thread has ended: records once the erased disc is ready.
    virtual void DiscWaitEnded(DiscWait outcome) = 0;
    // Cancel or Close: true when the window is to go.
    virtual bool Cancel(HWND window) = 0;
    // The session may end: true to allow it.
    virtual bool QueryEndSession(HWND window) = 0;
    virtual Completion CompleteBurn() = 0;
    // The user's levelled-loudness option, as the drive and speed dialog shows and sets it.
    virtual bool LevelLoudness() const = 0;
    virtual void SetLevelLoudness(bool level) = 0;
};
