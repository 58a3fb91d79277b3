#pragma once
// MessageLoop: the message pump of one thread, with message filters and idle handlers, run
// until the quit message. Owned by the code that runs it; registered with the AppModule for
// its thread while it runs. Its filters are the thread's (ThreadMessageFilters), so the nested
// waits of PumpMessagesFor give each message to the same filters.
#include "support/MessageFilter.h"

#include <windows.h>

#include <vector>

class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    // True to be called again before the next message arrives.
    virtual bool OnIdle() = 0;
};

class MessageLoop {
public:
    virtual ~MessageLoop() = default;

    // On the loop's thread.
    void AddMessageFilter(MessageFilter* filter) { ThreadMessageFilters::Add(filter); }
    void RemoveMessageFilter(MessageFilter* filter) { ThreadMessageFilters::Remove(filter); }
    void AddIdleHandler(IdleHandler* handler) { idleHandlers_.push_back(handler); }

    // Pumps until the quit message and answers its parameter.
    int Run();

    // False for the frequent messages after which idle processing is not re-armed:
    // mouse moves (client and non-client), paint and the system timer.
    static bool IsIdleMessage(const MSG& msg);

protected:
    virtual bool PreTranslateMessage(MSG* msg);
    // Answers whether any idle handler wants to be called again.
    virtual bool OnIdle(int idleCount);

private:
    std::vector<IdleHandler*> idleHandlers_;
};
