#pragma once
// PumpMessagesFor: waits for the given time while dispatching the calling thread's window
// messages (each offered to the thread's message filters first); wakes at least every 10 ms.
// Once a quit message arrives nothing more is dispatched: the wait still lasts its time,
// sleeping (only messages sent by other threads are handled), and the quit message is posted
// again as it returns, so that the thread's outer message loop still sees it. A loop that
// waits in slices of this function therefore never spins once its thread is quitting.
#include <windows.h>

void PumpMessagesFor(DWORD milliseconds);
