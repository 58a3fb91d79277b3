#pragma once
// MfLibrary: the entry points of Media Foundation that the engine calls, found in its DLLs
// the first time a decoder needs them rather than when the engine's DLL is loaded (engine
// starts that decode nothing load none of it). The DLLs, once found, stay for the process's
// life. Any thread; the first Get loads.
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

class MfLibrary {
public:
    decltype(&::MFStartup) startup = nullptr;
    decltype(&::MFShutdown) shutdown = nullptr;
    decltype(&::MFCreateMediaType) createMediaType = nullptr;
    decltype(&::MFCreateSample) createSample = nullptr;
    decltype(&::MFCreateMemoryBuffer) createMemoryBuffer = nullptr;
    decltype(&::MFCreateSourceReaderFromURL) createSourceReaderFromUrl = nullptr;

    // The functions; throws EngineFailure(RECORDING_E_UNREADABLE_FILE_TYPE) naming what is
    // missing when Media Foundation is not installed.
    static const MfLibrary& Get();

private:
    MfLibrary() = default;
    static MfLibrary Load();

    const char* missing_ = nullptr; // a DLL or function not found; null when all were
    unsigned long error_ = 0;       // the system's error then
};
