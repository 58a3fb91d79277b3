#include "recorder/MfStartup.h"

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/ErrorTexts.h"
#include "recorder/MfLibrary.h"

MfStartup::MfStartup() : library_(MfLibrary::Get()) {
    HRESULT hr = library_.startup(MF_VERSION, MFSTARTUP_LITE);
    if (FAILED(hr))
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "MfStartup::MfStartup()",
                      ("Media Foundation did not start: " + ErrorTexts::Hex(hr)).c_str());
}

MfStartup::~MfStartup() { library_.shutdown(); }
