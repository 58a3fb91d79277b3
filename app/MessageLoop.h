#pragma once
// MessageLoop: the message pump of one thread, with message filters and idle handlers, run
// until the quit message. Owned by the code that runs it; registered with the AppModule for
// its thread while it runs.
#include <windows.h>

#include <vector>

class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;
};

class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    // True to be called again before the next message arrives.
    virtual bool OnIdle() = 0;
};

class MessageLoop {
public:
    virtual ~MessageLoop() = default;

    void AddMessageFilter(MessageFilter* filter) { filters_.push_back(filter); }
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
    std::vector<MessageFilter*> filters_;
    std::vector<IdleHandler*> idleHandlers_;
};
