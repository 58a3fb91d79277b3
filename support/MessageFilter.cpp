#include "support/MessageFilter.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<MessageFilter*>& Filters() {
    thread_local std::vector<MessageFilter*> filters;
    return filters;
}

} // namespace

namespace ThreadMessageFilters {

void Add(MessageFilter* filter) {
    if (filter) Filters().push_back(filter);
}

void Remove(MessageFilter* filter) {
    auto& filters = Filters();
    filters.erase(std::remove(filters.begin(), filters.end(), filter), filters.end());
}

bool PreTranslate(MSG* msg) {
    // By index: a filter may remove itself (its window going) while it handles the message.
    const auto& filters = Filters();
    for (std::size_t i = filters.size(); i-- > 0;) {
        if (i < filters.size() && filters[i]->PreTranslateMessage(msg)) return true;
    }
    return false;
}

} // namespace ThreadMessageFilters
