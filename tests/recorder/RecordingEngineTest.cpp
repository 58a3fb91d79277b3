// The engine object through COM as a client uses it: registration and creation, the fixed
// method numbers, devices and the preferred device, parameters, and what AddFile accepts.
#include <cctype>
#include <cwctype>

#include "tests/recorder/EngineFixture.h"

namespace {

class RecordingEngineTest : public EngineFixture {};

std::wstring Normalized(std::wstring path) {
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    return path;
}

TEST_F(RecordingEngineTest, RegistersItselfForMachineWideInProcessCreation) {
    using DllFunction = HRESULT(WINAPI*)();
    HMODULE dll = LoadLibraryW(Wide(DllPath()).c_str());
    ASSERT_TRUE(dll) << GetLastError();
    auto unregister = reinterpret_cast<DllFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    auto doRegister = reinterpret_cast<DllFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    ASSERT_TRUE(unregister && doRegister);
    ASSERT_EQ(unregister(), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, none.put_void()), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(doRegister(), S_OK);
    FreeLibrary(dll);

    const wchar_t* key = L"Software\\Classes\\CLSID\\{29700AB2-DB33-11D3-ADE4-00009296F7EF}\\InprocServer32";
    for (const auto& [name, expected] : {std::pair<const wchar_t*, std::wstring>{nullptr, Wide(DllPath())},
                                         {L"ThreadingModel", L"Both"}}) {
        wchar_t value[MAX_PATH * 2] = {};
        DWORD size = sizeof value;
        ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size), ERROR_SUCCESS);
        EXPECT_EQ(Normalized(value), Normalized(expected));
    }
    Engine e = Create(Drive('R'));
    for (const IID* iid : {&IID_IRecordingEngine, &IID_IRecordingDisc, &IID_IConnectionPointContainer, &IID_IRunnableObject}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(e.engine->QueryInterface(*iid, answer.put_void()), S_OK);
    }
}

// Calls method number slot of a COM object through its table, as a client compiled
// against another header would.
template <class... Args>
HRESULT CallSlot(void* object, int slot, Args... args) {
    using Method = HRESULT(STDMETHODCALLTYPE*)(void*, Args...);
    return reinterpret_cast<Method>((*static_cast<void***>(object))[slot])(object, args...);
}

TEST_F(RecordingEngineTest, KeepsTheFixedMethodNumbersAndAnswersOnlyAfterInitialize) {
    Engine e = Create(Drive('R') + Drive('S'), false);
    LONG count = 0;
    EXPECT_EQ(e.engine->GetDeviceCount(&count), RECORDING_E_NOT_INITIALIZED);
    Bstr name("slots");
    EXPECT_EQ(e.engine->Initialize(GUID_NULL, name.get(), 0), E_INVALIDARG);
    ASSERT_EQ(CallSlot(e.engine.get(), 29, FENNEL_APPLICATION_ID, name.get(), LONG{0}), S_OK);
    EXPECT_EQ(e.engine->SetConfigurationPath(name.get()), E_UNEXPECTED); // too late once running
    EXPECT_EQ(CallSlot(e.engine.get(), 7, &count), S_OK);
    EXPECT_EQ(count, 2);
    IRecordingDisc* disc = nullptr;
    EXPECT_EQ(CallSlot(e.engine.get(), 14, &disc), S_OK);
    ASSERT_TRUE(disc);
    disc->Release();
    Bstr preferred;
    EXPECT_EQ(CallSlot(e.engine.get(), 21, preferred.put()), S_OK);
    EXPECT_EQ(preferred.Utf8(), "R:");

    auto engineSink = ComPtr<EngineEvents>::Attach(new EngineEvents);
    BYTE cancel = 9;
    EXPECT_EQ(CallSlot(engineSink.get(), 3, LONG{1}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 4, LONG{0x20}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 5, LONG{1}, LONG{2}, LONG{3}, LONG{4}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 6, LONG{5}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 7, LONG{5}, LONG{0}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 8, LONG{RECORDING_E_BUFFER_UNDERRUN}), S_OK);
    EXPECT_EQ(CallSlot(engineSink.get(), 9, &cancel), S_OK);
    EXPECT_EQ(engineSink->Get(), (Lines{"media 1", "status 0x00000020", "start 5", "end 5 0x00000000", "error 0x80041899"}));
    EXPECT_EQ(engineSink->lastTotal, 4);
    EXPECT_EQ(engineSink->queries, 1);

    auto deviceSink = ComPtr<DeviceEvents>::Attach(new DeviceEvents);
    for (int slot = 3; slot <= 11; ++slot) EXPECT_EQ(CallSlot(deviceSink.get(), slot, LONG{slot}), S_OK);
    EXPECT_EQ(deviceSink->Get(), (Lines{"ready 3", "exclusive 4", "speed 0x00000005", "status 0x00000007",
                                        "erase start 8", "erase end 0x00000009", "media 10", "tracks 11"}));
    EXPECT_EQ(deviceSink->eraseProgress, 1);
}

TEST_F(RecordingEngineTest, ListsTheDrivesOfTheDriveFile) {
    Engine e = Create("[Engine]\nPreferredDrive=S\n" + Drive('R', "Name=First\nWrites=CD-R\n") +
                      Drive('S', "Name=Second\n") + Drive('T', "Name=Reader\nWrites=none\n"));
    LONG count = 0;
    ASSERT_EQ(e.engine->GetDeviceCount(&count), S_OK);
    ASSERT_EQ(count, 3);
    const struct {
        wchar_t letter;
        const char* name;
        std::uint32_t media;
    } expected[] = {
        {L'R', "First", RECORDING_CAN_WRITE_CD_R | RECORDING_CAN_READ_CD | RECORDING_CAN_READ_CD_RW},
        {L'S', "Second", RECORDING_CAN_WRITE_CD_R | RECORDING_CAN_WRITE_CD_RW | RECORDING_CAN_ERASE_CD_RW},
        {L'T', "Reader", RECORDING_CAN_READ_CD | RECORDING_CAN_READ_CD_RW},
    };
    for (LONG i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        ComPtr<IRecordingDevice> device = e.Device(i);
        WCHAR letter = 0;
        Bstr name;
        ASSERT_EQ(device->GetName(&letter, name.put()), S_OK);
        EXPECT_EQ(letter, expected[i].letter);
        EXPECT_EQ(name.Utf8(), expected[i].name);
        LONG mediaAbilities = 0, features = 0;
        ASSERT_EQ(device->GetCapabilities(&mediaAbilities, &features), S_OK);
        EXPECT_EQ(static_cast<std::uint32_t>(mediaAbilities) & expected[i].media, expected[i].media);
        EXPECT_EQ(features != 0, i != 2);
        Bstr letterText(std::string(1, static_cast<char>(std::tolower(letter))));
        LONG index = -1;
        EXPECT_EQ(e.engine->FindDevice(letterText.get(), &index), S_OK);
        EXPECT_EQ(index, i);
    }
    ComPtr<IRecordingDevice> none;
    EXPECT_EQ(e.engine->GetDevice(3, none.put()), RECORDING_E_NO_SUCH_DEVICE);
    Bstr preferred;
    ASSERT_EQ(e.engine->GetPreferredDevice(preferred.put()), S_OK);
    EXPECT_EQ(preferred.Utf8(), "S:");

    // A broken drive file makes the engine refuse to start, naming the line.
    UseConfig(Drive('R', "Media=floppy\n"));
    Engine broken;
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, unknown.put_void()), S_OK);
    EXPECT_EQ(OleRun(unknown.get()), RECORDING_E_CONFIGURATION);
    ASSERT_EQ(unknown.As(broken.engine), S_OK);
    Bstr name("x");
    EXPECT_EQ(broken.engine->Initialize(FENNEL_APPLICATION_ID, name.get(), 0), RECORDING_E_CONFIGURATION);
    ASSERT_EQ(broken.Errors().size(), 1u);
    EXPECT_NE(broken.Errors().at(0).second.find("line 4"), std::string::npos) << broken.Errors().at(0).second;
}

TEST_F(RecordingEngineTest, KeepsDiscCreationParameters) {
    Engine e = Create(Drive('R', "WriteSpeeds=16, 8\n") + Drive('S'));
    DeviceListener events(e.Device(1).get());
    Bstr id;
    LONG options = 0, speed = 0, pause = 0, reserved = -1;
    BYTE value = 0;
    ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
    EXPECT_EQ(id.Utf8(), "VirtualRecorder:R");
    EXPECT_EQ(static_cast<std::uint32_t>(options), RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO |
                                                      RECORDING_OPTION_UNDERRUN_PROTECTION | RECORDING_OPTION_RESERVED_30);
    EXPECT_EQ(static_cast<std::uint32_t>(speed), RecordingSpeedMask(16));
    EXPECT_EQ((std::vector<LONG>{pause, reserved, value}), (std::vector<LONG>{150, 0, 1}));

    Bstr other("VirtualRecorder:S"), unknown("VirtualRecorder:Q");
    EXPECT_EQ(e.disc->SetCDCreationParams(unknown.get(), options, speed, pause, 0, 1, value), RECORDING_E_NO_SUCH_DEVICE);
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), options, speed, pause, 0, 1, value), S_OK); // drive S now
    LONG twoSpeeds = static_cast<LONG>(RecordingSpeedMask(8) | RecordingSpeedMask(24));
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), 0x2, twoSpeeds, 0, 5, 1, 3), S_OK);
    ASSERT_EQ(e.disc->GetCDCreationParams(id.put(), &options, &speed, &pause, &reserved, &value), S_OK);
    EXPECT_EQ(id.Utf8(), "VirtualRecorder:S");
    EXPECT_EQ(static_cast<std::uint32_t>(speed), RecordingSpeedMask(24)); // the faster of the two
    EXPECT_EQ((std::vector<LONG>{options, pause, reserved, value}), (std::vector<LONG>{2, 0, 5, 3}));
    EXPECT_EQ(e.disc->SetCDCreationParams(other.get(), 0x2, 0, 0, 0, 1, 3), E_INVALIDARG);
    EXPECT_EQ(events->Get(), (Lines{"speed 0x00000200", "speed 0x00002000"}));
    Bstr preferred;
    ASSERT_EQ(e.engine->GetPreferredDevice(preferred.put()), S_OK);
    EXPECT_EQ(preferred.Utf8(), "S:");
}

TEST_F(RecordingEngineTest, JudgesAudioFilesWithTheCodeOfTheirProblem) {
    Engine e = Create(Drive('R'));
    WavBuilder lying, rate48;
    lying.samples = rate48.samples = WavBuilder::Pattern(1000, 1);
    lying.dataSizeField = 1 << 20;
    rate48.sampleRate = 48000;
    WriteFile("lying.wav", lying.Bytes());
    WriteFile("rate48.wav", rate48.Bytes());
    WriteFile("text.wav", {'h', 'e', 'l', 'l', 'o'});
    WriteFile("notes.txt", {'h', 'i'});
    WriteFile("song.mp3", {0xFF, 0xFB, 0x90, 0x00});
    Wav("good.wav", 0.5);
    const struct {
        const char* file;
        HRESULT add;
        BYTE supported, readable;
    } cases[] = {
        {"good.wav", S_OK, 1, 1},
        {"missing.wav", RECORDING_E_FILE_NOT_FOUND, 1, 0},
        {"notes.txt", RECORDING_E_UNSUPPORTED_FILE, 0, 0},
        {"song.mp3", RECORDING_E_UNREADABLE_FILE_TYPE, 1, 0},
        {"text.wav", RECORDING_E_UNREADABLE_FILE_TYPE, 1, 0},
        {"rate48.wav", S_OK, 1, 1}, // the reader refuses it, the decoder resamples it
        {"lying.wav", RECORDING_E_BAD_AUDIO_FILE, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Bstr path(Path(c.file));
        BYTE supported = 9, readable = 9;
        EXPECT_EQ(e.engine->IsFileSupported(path.get(), &supported), S_OK);
        EXPECT_EQ(e.engine->IsFileTypeReadable(path.get(), &readable), S_OK);
        EXPECT_EQ(supported, c.supported);
        EXPECT_EQ(readable, c.readable);
        HRESULT hr = Add(e, Path(c.file));
        EXPECT_EQ(hr, c.add) << Hex(hr);
    }
    LONG count = 0, frames = 0;
    EXPECT_EQ(e.disc->GetTrackCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    for (LONG track : {0, 1}) {
        EXPECT_EQ(e.disc->GetTrackFrames(track, &frames), S_OK);
        EXPECT_EQ(frames, 300); // under a second, padded to four
    }
    EXPECT_TRUE(e.Errors().empty()); // refused files are answers, not recording errors
}

TEST_F(RecordingEngineTest, LimitsTracksAndLength) {
    Engine e = Create(Drive('R') + Drive('S', "Capacity=1\n"));
    std::string shortWav = Wav("short.wav", 0.1);
    for (int i = 0; i < 99; ++i) ASSERT_EQ(Add(e, shortWav), S_OK) << i;
    EXPECT_EQ(Add(e, shortWav), RECORDING_E_TOO_MANY_TRACKS);
    LONG frames = 0;
    EXPECT_EQ(e.disc->GetSpaceNeeded(&frames), S_OK);
    EXPECT_EQ(frames, 150 + 99 * 300);
    EXPECT_EQ(e.disc->ClearLayout(), S_OK);

    Bstr oneMinuteDrive("S");
    ASSERT_EQ(e.engine->SetPreferredDevice(oneMinuteDrive.get()), S_OK);
    std::string half = Wav("half.wav", 30);
    EXPECT_EQ(Add(e, half), S_OK);
    EXPECT_EQ(Add(e, half), RECORDING_E_DISC_FULL); // 150 + 2 x 2250 frames > one minute
    EXPECT_EQ(e.disc->Prepare(RECORDING_PREPARE_AUDIO), S_OK);
}

} // namespace
