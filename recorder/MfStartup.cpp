#include "recorder/MfStartup.h"

#include <mfapi.h>

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/ErrorTexts.h"

MfStartup::MfStartup() {
    HRESULT hr = MFStartup(MF_VERSION, MFSTARTUP_LITE);
    if (FAILED(hr))
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "MfStartup::MfStartup()",
                      ("Media Foundation did not start: " + ErrorTexts::Hex(hr)).c_str());
}

MfStartup::~MfStartup() { MFShutdown(); }
