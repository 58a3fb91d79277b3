#pragma once
// WedgeGate: decides whether a replacement translates or passes its call straight to the
// system. Until the language start-up has filled the wedge's state every call passes
// through; the first call that finds the state ready opens the gate for good.
// Any thread; the flag is written without a lock (every writer writes the same value).
class WedgeGate {
public:
    static bool Open();
};
