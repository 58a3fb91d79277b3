#pragma once
// PumpMessagesFor: waits for the given time while dispatching the calling thread's window
// messages; wakes at least every 10 ms. A quit message ends the wait at once and is posted
// again, so that the thread's outer message loop still sees it.
#include <windows.h>

void PumpMessagesFor(DWORD milliseconds);
