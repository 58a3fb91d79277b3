// EngineClient against a fake engine for what the engine of recorder/ never does: an older
// engine version without the text methods, and a device whose capability query fails.
#include "engine/EngineClient.h"
#include "tests/recorder/EngineFixture.h"

namespace {

#define FAKE_STUB(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

// One device that writes CD-R, one disc, version 1.0; the test owns it (no reference count).
class FakeEngine : public IRecordingEngine, public IRecordingDisc, public IRecordingDevice {
public:
    HRESULT capabilities = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingEngine) ? static_cast<IRecordingEngine*>(this)
                                                                                      : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetEngineVersion(LONG* value) override { return *value = 0x00010000, S_OK; }
    HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) override { return *count = 1, S_OK; }
    HRESULT STDMETHODCALLTYPE GetDevice(LONG, IRecordingDevice** device) override { return *device = this, S_OK; }
    HRESULT STDMETHODCALLTYPE GetDisc(IRecordingDisc** disc) override { return *disc = this, S_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID, BSTR, LONG) override { return S_OK; }
    // Answered S_OK: the client must not call them on this version at all.
    HRESULT STDMETHODCALLTYPE SetTrackText(LONG, BSTR, BSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetDiscText(BSTR, BSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetName(WCHAR* letter, BSTR* name) override { return *letter = L'R', *name = nullptr, S_OK; }
    HRESULT STDMETHODCALLTYPE GetCapabilities(LONG* abilities, LONG* features) override {
        return *abilities = 0x7F, *features = 0x1, capabilities;
    }
    HRESULT STDMETHODCALLTYPE GetSpeedMasks(LONG* read, LONG* write, LONG* rewrite) override {
        return *read = 0x40, *write = 0x38, *rewrite = 0x8, S_OK;
    }
    FAKE_STUB(GetEngineName, BSTR*) FAKE_STUB(GetConfigurationPath, BSTR*) FAKE_STUB(SetConfigurationPath, BSTR)
    FAKE_STUB(FindDevice, BSTR, LONG*) FAKE_STUB(IsFileSupported, BSTR, BYTE*) FAKE_STUB(IsFileTypeReadable, BSTR, BYTE*)
    FAKE_STUB(GetAudioFileFrames, BSTR, LONG*) FAKE_STUB(GetSupportedFileTypes, BSTR*) FAKE_STUB(GetErrorCount, LONG*)
    FAKE_STUB(GetError, LONG, HRESULT*, BSTR*) FAKE_STUB(ClearErrors) FAKE_STUB(GetErrorText, HRESULT, BSTR*) FAKE_STUB(Abort)
    FAKE_STUB(GetStatus, LONG*) FAKE_STUB(IsStarted, BYTE*) FAKE_STUB(GetPreferredDevice, BSTR*) FAKE_STUB(Erase, LONG)
    FAKE_STUB(SetPreferredDevice, BSTR) FAKE_STUB(GetApplicationName, BSTR*) FAKE_STUB(GetApplicationId, GUID*)
    FAKE_STUB(RefreshDevices) FAKE_STUB(Reserved26) FAKE_STUB(Reserved27) FAKE_STUB(Reserved28) FAKE_STUB(Uninitialize)
    FAKE_STUB(GetCDCreationParams, BSTR*, LONG*, LONG*, LONG*, LONG*, BYTE*) FAKE_STUB(ClearLayout) FAKE_STUB(Prepare, LONG)
    FAKE_STUB(SetCDCreationParams, BSTR, LONG, LONG, LONG, LONG, LONG, BYTE) FAKE_STUB(AddFile, BSTR, LONG*)
    FAKE_STUB(GetTrackCount, LONG*) FAKE_STUB(GetTrackFile, LONG, BSTR*) FAKE_STUB(GetTrackFrames, LONG, LONG*)
    FAKE_STUB(RemoveTrack, LONG) FAKE_STUB(GetSpaceNeeded, LONG*) FAKE_STUB(RecordTracks, ULONG, ULONG, LONG) FAKE_STUB(CloseDisc, LONG)
    FAKE_STUB(GetProgress, LONG*, LONG*, LONG*, LONG*, LONG*, LONG*, LONG*) FAKE_STUB(GetImagePath, BSTR*) FAKE_STUB(IsReady, BYTE*)
    FAKE_STUB(GetIdentity, BSTR*) FAKE_STUB(IsMediaPresent, BYTE*) FAKE_STUB(BeginExclusiveUse) FAKE_STUB(EndExclusiveUse)
    FAKE_STUB(GetMediaInfo, LONG*, RecordingMediaDetails*, RecordingMediaFlags*, RecordingMediaCapacity*) FAKE_STUB(GetImageFolder, BSTR*)
    FAKE_STUB(CanEraseMedia, BYTE*) FAKE_STUB(IsReadyForErase, BYTE*) FAKE_STUB(GetEraseProgress, BYTE*, LONG*, LONG*)
    FAKE_STUB(AddFileRange, BSTR, LONG, LONG, LONG*) FAKE_STUB(AddTrackPart, LONG, LONG, BSTR, LONG, LONG)
    FAKE_STUB(SetTrackCodes, LONG, BSTR, LONG) FAKE_STUB(SetDiscCatalog, BSTR) FAKE_STUB(SetSongwriter, LONG, BSTR)
};

class FakeClient : public EngineClient {
public:
    explicit FakeClient(FakeEngine& engine) : engine_(engine) {}

private:
    HRESULT CreateEngine(ComPtr<IUnknown>& engine) override { return engine = ComPtr<IUnknown>(static_cast<IRecordingEngine*>(&engine_)), S_OK; }
    FakeEngine& engine_;
};

TEST(EngineClientTest, AnOlderEngineGetsNoTextsAndTheOnlyDevicesFailureIsItsOwn) {
    FakeEngine fake;
    auto client = ComPtr<FakeClient>::Attach(new FakeClient(fake));
    ASSERT_EQ(client->Initialize("tests", 0), S_OK);
    EXPECT_EQ(client->SetTrackText(0, "Title", "", CP_ACP), E_NOTIMPL);
    EXPECT_EQ(client->SetDiscText("Album", "", CP_ACP), E_NOTIMPL);

    fake.capabilities = RecordingCode(0x80040777);
    client = ComPtr<FakeClient>::Attach(new FakeClient(fake));
    EXPECT_EQ(client->Initialize("tests", 0), fake.capabilities);
}

} // namespace
