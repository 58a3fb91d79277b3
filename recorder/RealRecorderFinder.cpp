#include "recorder/RealRecorderFinder.h"

#include <algorithm>
#include <cwctype>

#include "engine/Bstr.h"
#include "engine/RecordingEngineTypes.h"
#include "recorder/ErrorTexts.h"
#include "recorder/ImapiObject.h"
#include "recorder/ImapiResults.h"
#include "recorder/VariantArray.h"
#include "recorder/WinText.h"

namespace {

std::string Trimmed(const std::wstring& text) {
    std::string utf8 = WinText::Utf8(text);
    auto first = utf8.find_first_not_of(' ');
    auto last = utf8.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : utf8.substr(first, last - first + 1);
}

} // namespace

std::vector<std::shared_ptr<RealRecorder>> RealRecorderFinder::FindAll(const std::wstring& clientName) {
    std::vector<std::shared_ptr<RealRecorder>> recorders;
    ComPtr<IDiscMaster2> master;
    HRESULT hr = CoCreateInstance(CLSID_MsftDiscMaster2, nullptr, kImapiContext,
                                  __uuidof(IDiscMaster2), master.put_void());
    if (FAILED(hr)) { // no recording API: the virtual drives are all there is
        OutputDebugStringA(("recorder: no real recorders (" + ErrorTexts::Hex(hr) + ")\n").c_str());
        return recorders;
    }
    VARIANT_BOOL supported = VARIANT_TRUE;
    LONG count = 0;
    if ((SUCCEEDED(master->get_IsSupportedEnvironment(&supported)) && !supported) || FAILED(master->get_Count(&count)))
        return recorders;
    for (LONG i = 0; i < count; ++i) {
        Bstr id;
        if (FAILED(master->get_Item(i, id.put())) || !id.get()) continue;
        try {
            if (std::optional<RealRecorder::Description> description = Describe(id.Wide()))
                recorders.push_back(std::make_shared<RealRecorder>(std::move(*description), clientName));
        } catch (const ContextException& e) {
            OutputDebugStringA(("recorder: recorder " + WinText::Utf8(id.Wide()) + " left out: " + e.what() + "\n").c_str());
        }
    }
    return recorders;
}

std::optional<RealRecorder::Description> RealRecorderFinder::Describe(const std::wstring& uniqueId) {
    const char* where = "RealRecorderFinder::FindAll()";
    auto recorder = CreateImapiObject<IDiscRecorder2>(CLSID_MsftDiscRecorder2, where);
    ImapiResults::Check(recorder->InitializeDiscRecorder(Bstr(uniqueId).get()), where, "opening the recorder");
    RealRecorder::Description d;
    d.uniqueId = uniqueId;
    Bstr vendor, product;
    recorder->get_VendorId(vendor.put());
    recorder->get_ProductId(product.put());
    d.name = Trimmed(vendor.Wide() + L" " + product.Wide());
    VariantArray paths;
    if (SUCCEEDED(recorder->get_VolumePathNames(paths.put())))
        for (const std::wstring& path : paths.Texts())
            if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) {
                d.letter = static_cast<char>(std::towupper(path[0]));
                break;
            }
    VariantArray profiles;
    ImapiResults::Check(recorder->get_SupportedProfiles(profiles.put()), where, "asking for the recorder's profiles");
    d.mediaAbilities = RECORDING_CAN_READ_CD | RECORDING_CAN_READ_AUDIO | RECORDING_CAN_READ_MULTISESSION;
    for (LONG profile : profiles.Numbers()) {
        if (profile == IMAPI_PROFILE_TYPE_CD_RECORDABLE) d.mediaAbilities |= RECORDING_CAN_WRITE_CD_R;
        if (profile == IMAPI_PROFILE_TYPE_CD_REWRITABLE)
            d.mediaAbilities |= RECORDING_CAN_READ_CD_RW | RECORDING_CAN_WRITE_CD_RW | RECORDING_CAN_ERASE_CD_RW;
    }
    if (!d.letter || !(d.mediaAbilities & (RECORDING_CAN_WRITE_CD_R | RECORDING_CAN_WRITE_CD_RW))) return std::nullopt;
    d.writeFeatures = RECORDING_WRITES_TAO | RECORDING_WRITES_AUDIO | RECORDING_WRITES_MULTISESSION |
                      RECORDING_WRITES_UNDERRUN_PROTECTION;
    // Disc-at-once goes through the raw writer, with subcode the engine makes (CD-Text in it).
    auto raw = CreateImapiObject<IDiscFormat2RawCD>(CLSID_MsftDiscFormat2RawCD, where);
    VARIANT_BOOL supported = VARIANT_FALSE;
    VariantArray sectorTypes;
    if (SUCCEEDED(raw->IsRecorderSupported(recorder.get(), &supported)) && supported &&
        SUCCEEDED(raw->put_Recorder(recorder.get())) && SUCCEEDED(raw->get_SupportedSectorTypes(sectorTypes.put()))) {
        std::vector<LONG> types = sectorTypes.Numbers();
        if (std::find(types.begin(), types.end(), IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_COOKED) != types.end())
            d.writeFeatures |= RECORDING_WRITES_DAO | RECORDING_WRITES_SAO | RECORDING_WRITES_CD_TEXT | RECORDING_WRITES_RAW;
    }
    return d;
}
