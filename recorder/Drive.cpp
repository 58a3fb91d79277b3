#include "recorder/Drive.h"

bool Drive::BeginActivity(Activity activity) {
    Activity none = Activity::None;
    return activity_.compare_exchange_strong(none, activity);
}

void Drive::EndActivity() { activity_.store(Activity::None); }

Drive::EraseProgress Drive::Progress() const {
    std::lock_guard lock(progressMutex_);
    return erase_;
}

void Drive::StartEraseProgress() { SetEraseProgress({false, 0, 1}); }

void Drive::SetEraseProgress(const EraseProgress& progress) {
    std::lock_guard lock(progressMutex_);
    erase_ = progress;
}

void Drive::SetEraseDone(std::uint32_t doneFrames) {
    std::lock_guard lock(progressMutex_);
    erase_.doneFrames = doneFrames;
}

Drive::EraseDoneMark::~EraseDoneMark() {
    std::lock_guard lock(drive_.progressMutex_);
    drive_.erase_.done = true;
}
