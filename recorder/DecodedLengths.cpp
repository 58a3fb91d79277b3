#include "recorder/DecodedLengths.h"

DecodedLengths& DecodedLengths::Shared() {
    static DecodedLengths lengths;
    return lengths;
}

std::optional<DecodedLengths::Length> DecodedLengths::Find(const Key& key) const {
    std::lock_guard lock(mutex_);
    auto it = lengths_.find(key);
    if (it == lengths_.end()) return std::nullopt;
    return it->second;
}

void DecodedLengths::Remember(const Key& key, const Length& length) {
    std::lock_guard lock(mutex_);
    if (lengths_.size() >= kMaxEntries) lengths_.clear();
    lengths_[key] = length;
}
