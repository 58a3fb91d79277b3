#include "app/BurnWindowChannel.h"

#include <algorithm>

void BurnWindowChannel::Attach(HWND window) {
    std::lock_guard<std::mutex> lock(lock_);
    window_ = window;
    if (!window) queue_.clear();
}

bool BurnWindowChannel::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = window_.load();
    return window && PostMessageA(window, message, wParam, lParam);
}

bool BurnWindowChannel::PostRecord(UINT message, std::unique_ptr<BurnEventRecord> record) {
    std::lock_guard<std::mutex> lock(lock_);
    const HWND window = window_.load();
    if (!window || !record) return false;
    BurnEventRecord* address = record.get();
    queue_.push_back(std::move(record));
    if (PostMessageA(window, message, 0, reinterpret_cast<LPARAM>(address))) return true;
    queue_.pop_back(); // nobody will ask for it
    return false;
}

std::unique_ptr<BurnEventRecord> BurnWindowChannel::Take(LPARAM address) {
    std::lock_guard<std::mutex> lock(lock_);
    const auto found = std::find_if(queue_.begin(), queue_.end(), [address](const auto& record) {
        return reinterpret_cast<LPARAM>(record.get()) == address;
    });
    if (found == queue_.end()) return nullptr;
    std::unique_ptr<BurnEventRecord> record = std::move(*found);
    queue_.erase(found);
    return record;
}

std::size_t BurnWindowChannel::Queued() {
    std::lock_guard<std::mutex> lock(lock_);
    return queue_.size();
}
