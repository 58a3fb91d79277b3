#pragma once
// EngineFixture: what the engine's COM tests share. Each test gets an empty folder under
// the build tree, a drive file written there and named through FENNEL_RECORDER_CONFIG, and
// engines created exactly as a client creates them (CoCreateInstance with context 0x17,
// OleRun, Initialize). Event sinks record what they are told as lines of text.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/RecordingEngine.h"
#include "support/ComPtr.h"
#include "tests/recorder/WavBuilder.h"

inline std::string Hex(long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

inline std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// A BSTR owned for the length of a call.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& text) : value_(SysAllocString(Wide(text).c_str())) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }
    BSTR* put() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::string Utf8() const {
        if (!value_) return {};
        int size = WideCharToMultiByte(CP_UTF8, 0, value_, -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, value_, -1, text.data(), size, nullptr, nullptr);
        text.resize(text.size() - 1);
        return text;
    }

private:
    BSTR value_ = nullptr;
};

// Shared IUnknown of the test sinks.
template <class Interface>
class SinkBase : public Interface {
public:
    virtual ~SinkBase() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    void ClearLines() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

protected:
    void Add(std::string line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }

private:
    std::atomic<ULONG> refs_{1};
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

class EngineEvents : public SinkBase<IRecordingEngineEvents> {
public:
    HRESULT STDMETHODCALLTYPE OnMediaChange(LONG present) override { return Add("media " + std::to_string(present)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnStatusChange(LONG status) override { return Add("status " + Hex(status)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(LONG, LONG, LONG done, LONG total) override {
        lastDone = done;
        lastTotal = total;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnTrackStart(LONG track) override { return Add("start " + std::to_string(track)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnTrackEnd(LONG track, LONG result) override {
        return Add("end " + std::to_string(track) + " " + Hex(result)), S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnError(LONG code) override { return Add("error " + Hex(code)), S_OK; }
    HRESULT STDMETHODCALLTYPE QueryCancel(BYTE* cancel) override {
        *cancel = ++queries == cancelAtQuery;
        return S_OK;
    }
    // Status changes, tracks and errors, without the status words.
    std::vector<std::string> Tracks() const {
        std::vector<std::string> out;
        for (const std::string& line : Lines())
            if (line.rfind("status", 0) != 0) out.push_back(line);
        return out;
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> out;
        for (const std::string& line : Lines())
            if (line.rfind("status", 0) == 0) out.push_back(line.substr(7));
        return out;
    }
    std::atomic<int> queries{0};
    int cancelAtQuery = -1;
    std::atomic<LONG> lastDone{0}, lastTotal{0};
};

class DeviceEvents : public SinkBase<IRecordingDeviceEvents> {
public:
    HRESULT STDMETHODCALLTYPE OnReadyChange(LONG v) override { return Add("ready " + std::to_string(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnExclusiveUseChange(LONG v) override { return Add("exclusive " + std::to_string(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnWriteSpeedChange(LONG v) override { return Add("speed " + Hex(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnEraseProgress(LONG) override { ++eraseProgress; return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStatus(LONG v) override { return Add("status " + Hex(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnEraseStart(LONG v) override { return Add("erase start " + std::to_string(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnEraseEnd(LONG v) override { return Add("erase end " + Hex(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnMediaChange(LONG v) override { return Add("media " + std::to_string(v)), S_OK; }
    HRESULT STDMETHODCALLTYPE OnTrackCountChange(LONG v) override { return Add("tracks " + std::to_string(v)), S_OK; }
    std::atomic<int> eraseProgress{0};
};

// Connects a sink to an object's connection point for the life of the connection.
template <class Interface>
class Connection {
public:
    Connection(IUnknown* source, Interface* sink) {
        ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(source->QueryInterface(IID_IConnectionPointContainer, container.put_void()), S_OK);
        EXPECT_EQ(container->FindConnectionPoint(__uuidof(Interface), point_.put()), S_OK);
        EXPECT_EQ(point_->Advise(sink, &cookie_), S_OK);
    }
    ~Connection() {
        if (point_) point_->Unadvise(cookie_);
    }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

struct Engine {
    ComPtr<IRecordingEngine> engine;
    ComPtr<IRecordingDisc> disc;

    ComPtr<IRecordingDevice> Device(LONG index) const {
        ComPtr<IRecordingDevice> device;
        EXPECT_EQ(engine->GetDevice(index, device.put()), S_OK);
        return device;
    }
    std::vector<std::pair<long, std::string>> Errors() const {
        std::vector<std::pair<long, std::string>> errors;
        LONG count = 0;
        engine->GetErrorCount(&count);
        for (LONG i = 0; i < count; ++i) {
            HRESULT code = 0;
            Bstr text;
            engine->GetError(i, &code, text.put());
            errors.emplace_back(code, text.Utf8());
        }
        return errors;
    }
};

class EngineFixture : public testing::Test {
protected:
    static std::string DllPath() { return std::string("Z:") + FENNEL_BINARY_DIR + "/bin/fennel_recorder.dll"; }

    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::path(std::string("Z:") + FENNEL_BINARY_DIR) / "test-tmp" / "recorder" /
                  (std::string(info->test_suite_name()) + "." + info->name());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        std::filesystem::create_directories(folder_);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    // A WAV of seconds of 16-bit stereo audio in a recognisable pattern; answers its path.
    std::string Wav(const std::string& name, double seconds, unsigned seed = 1) const {
        WavBuilder wav;
        wav.samples = WavBuilder::Pattern(static_cast<std::size_t>(seconds * 44100), seed);
        WriteFile(name, wav.Bytes());
        return Path(name);
    }
    // A drive section writing unpaced into its own folder below the test's (unless keys name
    // other Images or pacing).
    std::string Drive(char letter, const std::string& keys = "") const {
        std::string section = std::string("[Drive ") + letter + "]\n";
        if (keys.find("Images=") == std::string::npos) section += "Images=" + Path(std::string("images-") + letter) + "\n";
        if (keys.find("Paced=") == std::string::npos) section += "Paced=0\n";
        return section + keys;
    }
    std::string ImageFolder(char letter) const { return Path(std::string("images-") + letter); }

    // Writes the drive file and names it for the engines created afterwards in this process
    // and its children.
    void UseConfig(const std::string& text) const {
        WriteFile("recorder.ini", std::vector<std::uint8_t>(text.begin(), text.end()));
        SetEnvironmentVariableW(L"FENNEL_RECORDER_CONFIG", Wide(Path("recorder.ini")).c_str());
    }

    static Engine Create(bool initialize = true) {
        Engine e;
        ComPtr<IUnknown> unknown;
        HRESULT hr = CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, unknown.put_void());
        EXPECT_EQ(hr, S_OK) << Hex(hr);
        if (!unknown) return e;
        EXPECT_EQ(OleRun(unknown.get()), S_OK);
        EXPECT_EQ(unknown.As(e.engine), S_OK);
        if (initialize) {
            Bstr name("engine tests");
            hr = e.engine->Initialize(FENNEL_APPLICATION_ID, name.get(), 0);
            EXPECT_EQ(hr, S_OK) << Hex(hr);
        }
        EXPECT_EQ(e.engine->GetDisc(e.disc.put()), initialize ? S_OK : RECORDING_E_NOT_INITIALIZED);
        return e;
    }
    Engine Create(const std::string& config, bool initialize = true) const {
        UseConfig(config);
        return Create(initialize);
    }

    static HRESULT Add(const Engine& e, const std::string& path) {
        Bstr text(path);
        LONG index = -1;
        return e.disc->AddFile(text.get(), &index);
    }
    // Prepare, record and close, each expected to succeed.
    static void Burn(const Engine& e, LONG closeOptions = RECORDING_CLOSE_FINALIZE) {
        HRESULT hr = e.disc->Prepare(RECORDING_PREPARE_AUDIO);
        ASSERT_EQ(hr, S_OK) << Hex(hr);
        hr = e.disc->RecordTracks(0, RECORDING_ALL_TRACKS, RECORDING_RECORD_WRITE);
        ASSERT_EQ(hr, S_OK) << Hex(hr);
        hr = e.disc->CloseDisc(closeOptions);
        ASSERT_EQ(hr, S_OK) << Hex(hr);
    }
    static HRESULT MediaInfo(IRecordingDevice* device, LONG& type, RecordingMediaFlags& flags,
                             RecordingMediaCapacity& capacity) {
        RecordingMediaDetails details{};
        flags = {};
        capacity = {};
        flags.version = 1;
        capacity.version = 1;
        type = -1;
        return device->GetMediaInfo(&type, &details, &flags, &capacity);
    }
    // Sets the write method (and keeps the other parameters) for the next recording.
    static void SetMethod(const Engine& e, std::uint32_t methodBits) {
        Bstr id;
        LONG options = 0, speed = 0, pause = 0, reserved = 0;
        BYTE value = 0;
        ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
        options &= ~static_cast<LONG>(RECORDING_OPTION_DAO | RECORDING_OPTION_SAO);
        options |= static_cast<LONG>(methodBits);
        ASSERT_EQ(e.disc->SetCDCreationParams(id.get(), options, speed, pause, reserved, 1, value), S_OK);
    }

    std::filesystem::path folder_;
};
