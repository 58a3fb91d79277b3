#pragma once
// MessageFilter: a look at each message of a thread before it is dispatched, so that a
// modeless dialog gets its keyboard handling (Tab, Enter, Esc, access keys).
// ThreadMessageFilters: the filters of the calling thread, asked newest first by the thread's
// MessageLoop and by the nested waits of PumpMessagesFor alike. Each thread has its own list;
// a filter is added and removed on the thread whose messages it sees, and removed before it
// goes.
#include <windows.h>

class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;
};

namespace ThreadMessageFilters {
void Add(MessageFilter* filter);
// Removing a filter that is not in the list does nothing.
void Remove(MessageFilter* filter);
// True when one of the calling thread's filters handled the message.
bool PreTranslate(MSG* msg);
} // namespace ThreadMessageFilters
