#include "ui/TaskbarProgress.h"

bool TaskbarProgress::Attach(HWND window) {
    window_ = window;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                taskbar_.put_void())) ||
        !taskbar_ || FAILED(taskbar_->HrInit())) {
        taskbar_.reset();
    }
    return static_cast<bool>(taskbar_);
}

void TaskbarProgress::Set(State state) {
    state_ = state;
    if (!taskbar_ || !window_) return;
    static constexpr TBPFLAG kFlags[] = {TBPF_NOPROGRESS, TBPF_NORMAL, TBPF_ERROR, TBPF_PAUSED};
    taskbar_->SetProgressState(window_, kFlags[static_cast<int>(state)]);
    if (state != State::None) taskbar_->SetProgressValue(window_, static_cast<ULONGLONG>(percent_), 100);
}

void TaskbarProgress::Percent(int percent) {
    percent_ = percent;
    // A failed burn keeps its error state; later progress does not hide it.
    Set(state_ == State::Error ? State::Error : State::Normal);
}

void TaskbarProgress::Error() { Set(State::Error); }
void TaskbarProgress::Paused() { Set(State::Paused); }
void TaskbarProgress::Clear() { Set(State::None); }
