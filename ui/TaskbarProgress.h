#pragma once
// TaskbarProgress: the window's taskbar button shows the burn's overall progress, and an
// error state when the burn failed, where the system offers the taskbar interface (nothing
// happens where it doesn't). Used on the window's thread; owns its one COM reference (the
// window is its owner's).
#include "support/ComPtr.h"

#include <windows.h>

#include <shobjidl.h>

class TaskbarProgress {
public:
    enum class State { None, Normal, Error, Paused };

    // Connects to the taskbar for the window; false when the system has no taskbar interface.
    bool Attach(HWND window);
    void Percent(int percent);
    void Error();
    void Paused();
    void Clear();
    // What the button was last told, for anyone who needs to know without the taskbar.
    State LastState() const { return state_; }
    int LastPercent() const { return percent_; }

private:
    void Set(State state);

    ComPtr<ITaskbarList3> taskbar_;
    HWND window_ = nullptr;
    State state_ = State::None;
    int percent_ = 0;
};
