#pragma once
// BurnWindowChannel: the way from the burn events to the burn window. Posts plain messages
// to the window and queues the records of the others under its critical section, posting
// while it holds it; the window takes each record out when it handles the message. Without
// a window (a silent run, or before the window exists) nothing is posted or queued. Any
// thread may post; the window's thread attaches, detaches and takes records. Owned by the
// application object; the window uses it for its life.
#include "ui/BurnEventRecord.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

class BurnWindowChannel {
public:
    BurnWindowChannel() = default;
    BurnWindowChannel(const BurnWindowChannel&) = delete;
    BurnWindowChannel& operator=(const BurnWindowChannel&) = delete;

    // The window the messages go to; null detaches it and drops the records not taken.
    void Attach(HWND window);
    HWND Window() const { return window_.load(); }

    // Posts a message with plain parameters; false when there is no window or posting failed.
    bool Post(UINT message, WPARAM wParam, LPARAM lParam);
    // Queues the record and posts the message with its address as lParam.
    bool PostRecord(UINT message, std::unique_ptr<BurnEventRecord> record);
    // The queued record whose address a message carried, taken out of the queue; null when
    // it is not (or no longer) there.
    std::unique_ptr<BurnEventRecord> Take(LPARAM address);
    std::size_t Queued();

    // Set by the window when the user asks to cancel; the engine asks for it between tracks.
    void SetCancelling(bool cancelling) { cancelling_ = cancelling; }
    bool Cancelling() const { return cancelling_.load(); }

private:
    std::mutex lock_; // guards queue_, and window_ against Attach while a record is queued
    std::atomic<HWND> window_{nullptr};
    std::deque<std::unique_ptr<BurnEventRecord>> queue_;
    std::atomic<bool> cancelling_{false};
};
