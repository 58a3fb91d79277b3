#pragma once
// EngineFixture: what the engine's COM tests share: an empty temporary folder with a drive
// file, and engines created as a client creates them (context 0x17, OleRun, Initialize).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/Bstr.h"
#include "engine/EventConnection.h"
#include "engine/RecordingEngine.h"
#include "common/TempFolder.h"
#include "support/ComPtr.h"
#include "tests/recorder/WavBuilder.h"

using Lines = std::vector<std::string>;

inline std::string Hex(long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// The events of an engine or a device as lines ("start 0", "status 0x00000001", ...);
// answers the cancelAtQuery-th QueryCancel with yes. Told from the engine's threads.
class Events final : public IRecordingEngineEvents, public IRecordingDeviceEvents {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRecordingEngineEvents))
            *out = static_cast<IRecordingEngineEvents*>(this);
        if (IsEqualIID(iid, IID_IRecordingDeviceEvents)) *out = static_cast<IRecordingDeviceEvents*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE OnMediaChange(LONG present) override { return Add("media " + std::to_string(present)); }
    HRESULT STDMETHODCALLTYPE OnStatusChange(LONG status) override { return Add("status " + Hex(status)); }
    HRESULT STDMETHODCALLTYPE OnProgress(LONG, LONG, LONG, LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnTrackStart(LONG track) override { return Add("start " + std::to_string(track)); }
    HRESULT STDMETHODCALLTYPE OnTrackEnd(LONG track, LONG result) override {
        return Add("end " + std::to_string(track) + " " + Hex(result));
    }
    HRESULT STDMETHODCALLTYPE OnError(LONG code) override { return Add("error " + Hex(code)); }
    HRESULT STDMETHODCALLTYPE QueryCancel(BYTE* cancel) override {
        *cancel = ++queries == cancelAtQuery;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnReadyChange(LONG v) override { return Add("ready " + std::to_string(v)); }
    HRESULT STDMETHODCALLTYPE OnExclusiveUseChange(LONG v) override { return Add("exclusive " + std::to_string(v)); }
    HRESULT STDMETHODCALLTYPE OnWriteSpeedChange(LONG v) override { return Add("speed " + Hex(v)); }
    HRESULT STDMETHODCALLTYPE OnEraseProgress(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStatus(LONG v) override { return Add("status " + Hex(v)); }
    HRESULT STDMETHODCALLTYPE OnEraseStart(LONG v) override { return Add("erase start " + std::to_string(v)); }
    HRESULT STDMETHODCALLTYPE OnEraseEnd(LONG v) override { return Add("erase end " + Hex(v)); }
    HRESULT STDMETHODCALLTYPE OnTrackCountChange(LONG v) override { return Add("tracks " + std::to_string(v)); }

    Lines Get(bool noStatus = false) const {
        std::lock_guard lock(mutex_);
        Lines out;
        for (const std::string& line : lines_)
            if (!(noStatus && line.rfind("status", 0) == 0)) out.push_back(line);
        return out;
    }
    std::atomic<int> queries{0};
    int cancelAtQuery = -1;

private:
    HRESULT Add(std::string line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
        return S_OK;
    }
    std::atomic<ULONG> refs_{1};
    mutable std::mutex mutex_;
    Lines lines_;
};

// Events advised on an engine's (or a device's) connection point for the listener's life.
struct Listener {
    explicit Listener(IUnknown* source, REFIID events = IID_IRecordingEngineEvents) {
        EXPECT_EQ(connection.Connect(source, events, static_cast<IRecordingEngineEvents*>(sink.get())), S_OK);
    }
    Events* operator->() const { return sink.get(); }

    ComPtr<Events> sink = ComPtr<Events>::Attach(new Events);
    EventConnection connection;
};

struct Media {
    explicit Media(IRecordingDevice* device) {
        flags.version = capacity.version = 1;
        hr = device->GetMediaInfo(&type, &details, &flags, &capacity);
    }
    LONG type = -1;
    RecordingMediaDetails details{};
    RecordingMediaFlags flags{};
    RecordingMediaCapacity capacity{};
    HRESULT hr;
};

struct Engine {
    ComPtr<IRecordingEngine> engine;
    ComPtr<IRecordingDisc> disc;

    ComPtr<IRecordingDevice> Device(LONG index) const {
        ComPtr<IRecordingDevice> device;
        EXPECT_EQ(engine->GetDevice(index, device.put()), S_OK);
        return device;
    }
    Media MediaInfo() const { return Media(Device(0).get()); }
    // The error list, one "code text" line each.
    Lines Errors() const {
        Lines errors;
        LONG count = 0;
        engine->GetErrorCount(&count);
        for (LONG i = 0; i < count; ++i) {
            HRESULT code = 0;
            Bstr text;
            engine->GetError(i, &code, text.put());
            errors.push_back(Hex(code) + " " + text.Narrow());
        }
        return errors;
    }
};

class EngineFixture : public testing::Test {
protected:
    // Also called again by table rows that need a fresh folder.
    void SetUp() override { temp_.emplace(); }

    std::string Path(const std::string& name) const { return temp_->File(name); }
    bool ImageExists(const std::string& name) const { return std::filesystem::exists(Path("images-R\\" + name)); }
    std::string ReadImage(const std::string& name) const {
        std::ifstream in(Path("images-R\\" + name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        temp_->Write(name, std::string(bytes.begin(), bytes.end()));
    }
    // A WAV of seconds of 16-bit stereo audio in a recognisable pattern; answers its path.
    std::string Wav(const std::string& name, double seconds, unsigned seed = 1) const {
        WavBuilder wav;
        wav.samples = WavBuilder::Pattern(static_cast<std::size_t>(seconds * 44100), seed);
        WriteFile(name, wav.Bytes());
        return Path(name);
    }
    // A drive section writing unpaced into images-<letter> unless the keys say otherwise.
    std::string Drive(char letter, const std::string& keys = "") const {
        std::string section = std::string("[Drive ") + letter + "]\n";
        if (keys.find("Images=") == std::string::npos) section += "Images=" + Path(std::string("images-") + letter) + "\n";
        if (keys.find("Paced=") == std::string::npos) section += "Paced=0\n";
        return section + keys;
    }

    // Writes the drive file and names it for the engines this process creates afterwards.
    void UseConfig(const std::string& text) const {
        SetEnvironmentVariableA("FENNEL_RECORDER_CONFIG", temp_->Write("recorder.ini", text).c_str());
    }

    // An engine of the drive file config; start: what OleRun and Initialize answer.
    Engine Create(const std::string& config, HRESULT start = S_OK) const {
        UseConfig(config);
        Engine e;
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, unknown.put_void()), S_OK);
        if (!unknown) return e;
        EXPECT_EQ(OleRun(unknown.get()), start);
        EXPECT_EQ(unknown.As(e.engine), S_OK);
        Bstr name("engine tests");
        EXPECT_EQ(e.engine->Initialize(FENNEL_APPLICATION_ID, name.get(), 0), start);
        EXPECT_EQ(e.engine->GetDisc(e.disc.put()), start == S_OK ? S_OK : RECORDING_E_NOT_INITIALIZED);
        return e;
    }

    static HRESULT Add(const Engine& e, const std::string& path) {
        Bstr text(path);
        LONG index = -1;
        return e.disc->AddFile(text.get(), &index);
    }
    static void Burn(const Engine& e, LONG closeOptions = RECORDING_CLOSE_FINALIZE) {
        ASSERT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
        ASSERT_EQ(e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE), S_OK);
        ASSERT_EQ(e.disc->CloseDisc(closeOptions), S_OK);
    }

    std::optional<testsupport::TempFolder> temp_;
};
