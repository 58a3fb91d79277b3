#pragma once
// MfStartup: one MFStartup/MFShutdown pair, and the calling thread in the multithreaded
// apartment for the same span (when it has joined no apartment yet). Media Foundation counts
// its start-ups, so any number may be alive at once. Created and destroyed on one thread.
#include "recorder/MfLibrary.h"
#include "support/ComPtr.h"

class MfStartup {
public:
    // Throws EngineFailure(RECORDING_E_UNREADABLE_FILE_TYPE) when Media Foundation is missing.
    MfStartup();
    ~MfStartup();
    MfStartup(const MfStartup&) = delete;
    MfStartup& operator=(const MfStartup&) = delete;

    // Media Foundation's functions, loaded.
    const MfLibrary& Library() const { return library_; }

private:
    ScopedComInit com_;
    const MfLibrary& library_;
};
