// A stand-in for Windows' recording API (version 2) for the engine's tests under Wine: the
// API's own class ids, recorders described by the script file FENNEL_IMAPI_STANDIN names,
// each disc kept in a state file beside the script, and every call that matters logged there
// (standin-<n>.log, one line per call) with what the writers received. Without a script no
// class is available, as on a system without the API. Objects are free-threaded; a writer's
// events are raised synchronously on the thread that writes, which also connects them.
// Members the engine never calls answer E_NOTIMPL; streams must tell their size and fill reads.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "recorder/Imapi2.h"
#include "support/ComPtr.h"
#include "tests/common/RawSubcode.h"

extern "C" IMAGE_DOS_HEADER __ImageBase; // this DLL

namespace {

const ULONGLONG g_loadedAt = GetTickCount64(); // InsertAfterMs counts from here; the DLL, once loaded, stays
std::mutex g_logMutex;
constexpr LONG kPause = 150, kRawStartLba = -22650; // kPause: sectors before every track-at-once track
constexpr ULONG kAudioSector = 2352, kRawSector = 2448;
// Answered only by the stand-in's own recorders, which it returns as they are.
constexpr IID IID_StandInRecorder = {0x6b1f3a52, 0x41c7, 0x4d0e, {0x9a, 0x63, 0x2f, 0x80, 0x15, 0xd4, 0x7e, 0x19}};

// ---- The script, the state files and the log.

std::wstring ScriptPath() {
    wchar_t name[MAX_PATH], full[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"FENNEL_IMAPI_STANDIN", name, MAX_PATH);
    if (!length || length >= MAX_PATH || !GetFullPathNameW(name, MAX_PATH, full, nullptr)) return {};
    return GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES ? std::wstring() : full;
}
std::wstring OutPath(int n, const std::wstring& suffix) {
    std::wstring script = ScriptPath();
    return script.substr(0, script.find_last_of(L"\\/") + 1) + L"standin-" + std::to_wstring(n) + suffix;
}
std::wstring Trim(const std::wstring& s) {
    size_t first = s.find_first_not_of(L" \t"), last = s.find_last_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : s.substr(first, last - first + 1);
}
std::vector<std::wstring> List(const std::wstring& s) {
    std::vector<std::wstring> items;
    for (size_t start = 0, end; start < s.size(); start = end + 1)
        items.push_back(Trim(s.substr(start, (end = std::min(s.find(L',', start), s.size())) - start)));
    return items;
}
// An INI value without a trailing comment.
std::wstring Value(const std::wstring& file, const wchar_t* section, const wchar_t* key, const std::wstring& fallback) {
    wchar_t buffer[512];
    GetPrivateProfileStringW(section, key, fallback.c_str(), buffer, 512, file.c_str());
    return Trim(std::wstring(buffer, std::wcscspn(buffer, L";")));
}
// In any base; codes such as 0xC0AA0300 keep their bits.
LONG Number(const std::wstring& text) { return LONG(std::wcstoll(text.c_str(), nullptr, 0)); }
// Client names reach the API plain (letters, digits, a few marks).
std::string Narrow(const wchar_t* text) { return text ? std::string(text, text + std::wcslen(text)) : std::string(); }
std::string Hex(HRESULT code) { char text[16]; std::snprintf(text, sizeof text, "0x%08X", UINT(code)); return text; }
ULONGLONG StreamSize(IStream* stream) {
    STATSTG stat{};
    return SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) ? stat.cbSize.QuadPart : 0;
}

// Appends one line to the log of recorder n (none before a writer has its recorder), at once.
void Log(int n, const std::string& line) {
    std::lock_guard lock(g_logMutex);
    FILE* file = n ? _wfopen(OutPath(n, L".log").c_str(), L"ab") : nullptr;
    if (file) std::fputs((line + "\n").c_str(), file), std::fclose(file);
}
constexpr auto kClose = [](FILE* file) { std::fclose(file); };
using File = std::unique_ptr<FILE, decltype(kClose)>;
File Create(int n, const std::wstring& suffix) { return File(_wfopen(OutPath(n, suffix).c_str(), L"wb")); }

// One recorder as the script describes it, with the disc it holds now.
struct Drive {
    int n = 0;
    std::wstring letter, vendor, product, lockedBy, media;
    std::vector<LONG> profiles{IMAPI_PROFILE_TYPE_CDROM}, speeds; // speeds in sectors per second
    bool raw = false, present = false, closed = false;
    LONG capacity = 0, tracks = 0, used = 0, failAt = -1, pace = 0, eraseMs = 0;
    HRESULT failCode = 0, eraseFail = 0;
    LONG Total() const { return capacity * 60 * 75; }
    LONG Free() const { return Total() - used; }
    bool Blank() const { return tracks == 0 && used == 0; }
    bool Writable() const { return present && media != L"CD-ROM" && !closed; }
};

Drive Load(int n) {
    Drive d;
    d.n = n;
    std::wstring script = ScriptPath(), state = OutPath(n, L".state"), section = L"Recorder " + std::to_wstring(n);
    auto text = [&](auto key, auto fallback) { return Value(script, section.c_str(), key, fallback); };
    auto disc = [&](auto key, auto fallback) { return Value(state, L"Disc", key, text(key, fallback)); };
    d.letter = text(L"Letter", L"E");
    d.vendor = text(L"Vendor", L"FENNEL");
    d.product = text(L"Product", L"Test Writer");
    d.lockedBy = text(L"LockedBy", L"");
    for (const auto& profile : List(text(L"Profiles", L"CD-R, CD-RW"))) {
        if (profile == L"CD-R") d.profiles.push_back(IMAPI_PROFILE_TYPE_CD_RECORDABLE);
        if (profile == L"CD-RW") d.profiles.push_back(IMAPI_PROFILE_TYPE_CD_REWRITABLE);
    }
    for (const auto& x : List(text(L"WriteSpeeds", L"48, 24, 16"))) d.speeds.push_back(Number(x) * 75);
    d.raw = Number(text(L"Raw", L"1")) != 0;
    d.capacity = Number(text(L"Capacity", L"80"));
    d.failAt = Number(text(L"FailAtPercent", L"-1"));
    d.failCode = Number(text(L"FailCode", L"0xC0AA0300"));
    d.pace = Number(text(L"SectorsPerSecond", L"0"));
    d.eraseMs = Number(text(L"EraseMs", L"300"));
    d.eraseFail = Number(text(L"EraseFailCode", L"0"));
    // The state file's disc replaces the script's, but a script without a disc keeps none.
    d.media = disc(L"Media", L"CD-R");
    d.present = text(L"Media", L"CD-R") != L"none" && d.media != L"none" &&
                GetTickCount64() - g_loadedAt >= ULONGLONG(Number(text(L"InsertAfterMs", L"0")));
    d.tracks = Number(disc(L"Tracks", L"0"));
    d.used = Number(disc(L"UsedSectors", L"0"));
    d.closed = disc(L"Closed", L"0") != L"0";
    return d;
}

void SaveDisc(const Drive& d) {
    std::wstring file = OutPath(d.n, L".state");
    const std::pair<const wchar_t*, std::wstring> values[] = {
        {L"Media", d.media}, {L"Tracks", std::to_wstring(d.tracks)},
        {L"UsedSectors", std::to_wstring(d.used)}, {L"Closed", d.closed ? L"1" : L"0"}};
    for (const auto& [key, value] : values) WritePrivateProfileStringW(L"Disc", key, value.c_str(), file.c_str());
}

// The numbers of the script's [Recorder n] sections with keys, n from 1 to 9.
std::vector<int> Recorders() {
    std::vector<int> numbers;
    std::wstring script = ScriptPath();
    wchar_t keys[16];
    for (int n = 1; n <= 9 && !script.empty(); ++n)
        if (GetPrivateProfileSectionW((L"Recorder " + std::to_wstring(n)).c_str(), keys, 16, script.c_str()))
            numbers.push_back(n);
    return numbers;
}

std::wstring RecorderId(int n) { return L"StandIn:" + std::to_wstring(n); }

HRESULT Put(BSTR* out, const std::wstring& value) {
    return !out ? E_POINTER : (*out = SysAllocString(value.c_str())) ? S_OK : E_OUTOFMEMORY;
}
template <class T, class V> HRESULT Put(T* out, V value) { return out ? (*out = T(value), S_OK) : E_POINTER; }
HRESULT PutBool(VARIANT_BOOL* out, bool value) { return Put(out, value ? VARIANT_TRUE : VARIANT_FALSE); }
VARIANT Long(LONG value) { VARIANT v{}; V_VT(&v) = VT_I4; V_I4(&v) = value; return v; }
VARIANT Dispatch(IDispatch* value) { VARIANT v{}; V_VT(&v) = VT_DISPATCH; V_DISPATCH(&v) = value; return v; }
VARIANT Text(const wchar_t* value) { VARIANT v{}; V_VT(&v) = VT_BSTR; V_BSTR(&v) = SysAllocString(value); return v; }

// A SAFEARRAY of VARIANTs that takes the items over.
HRESULT PutArray(SAFEARRAY** out, const std::vector<VARIANT>& items) {
    if (!out) return E_POINTER;
    if (!(*out = SafeArrayCreateVector(VT_VARIANT, 0, ULONG(items.size())))) return E_OUTOFMEMORY;
    VARIANT* data = nullptr;
    SafeArrayAccessData(*out, reinterpret_cast<void**>(&data));
    std::copy(items.begin(), items.end(), data);
    return SafeArrayUnaccessData(*out);
}
HRESULT PutLongs(SAFEARRAY** out, const std::vector<LONG>& values) {
    std::vector<VARIANT> items;
    for (LONG value : values) items.push_back(Long(value));
    return PutArray(out, items);
}

#define NOTIMPL(name, ...) STDMETHODIMP name(__VA_ARGS__) override { return E_NOTIMPL; }
#define GETTER(name, type, expression) STDMETHODIMP name(type* value) override { return Put(value, expression); }

// ---- Objects: IUnknown with an atomic count; IDispatch only as far as vtable callers need.

template <class I, class Also = I>
struct Object : I {
    virtual ~Object() = default;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return !out ? E_POINTER : (*out = Find(iid)) ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { ULONG refs = --refs_; if (!refs) delete this; return refs; }
    NOTIMPL(GetTypeInfoCount, UINT*) NOTIMPL(GetTypeInfo, UINT, LCID, ITypeInfo**)
    NOTIMPL(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    NOTIMPL(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    virtual void* Find(REFIID iid) {
        for (const IID* known : {&IID_IUnknown, &IID_IDispatch, &__uuidof(I), &__uuidof(Also)})
            if (IsEqualIID(iid, *known)) return static_cast<I*>(this);
        return nullptr;
    }
    std::atomic<ULONG> refs_{1};
};

struct Master final : Object<IDiscMaster2> {
    NOTIMPL(get__NewEnum, IEnumVARIANT**)
    STDMETHODIMP get_Item(LONG index, BSTR* value) override {
        auto numbers = Recorders();
        return size_t(index) < numbers.size() ? Put(value, RecorderId(numbers[size_t(index)])) : E_INVALIDARG;
    }
    GETTER(get_Count, LONG, Recorders().size()) GETTER(get_IsSupportedEnvironment, VARIANT_BOOL, VARIANT_TRUE)
};

struct Recorder final : Object<IDiscRecorder2> {
    NOTIMPL(EjectMedia) NOTIMPL(CloseTray) NOTIMPL(DisableMcn) NOTIMPL(EnableMcn) NOTIMPL(get_VolumeName, BSTR*)
    NOTIMPL(get_ActiveDiscRecorder, BSTR*) NOTIMPL(get_ProductRevision, BSTR*) NOTIMPL(get_LegacyDeviceNumber, LONG*)
    NOTIMPL(get_DeviceCanLoadMedia, VARIANT_BOOL*) NOTIMPL(get_CurrentProfiles, SAFEARRAY**)
    NOTIMPL(get_SupportedFeaturePages, SAFEARRAY**) NOTIMPL(get_CurrentFeaturePages, SAFEARRAY**)
    NOTIMPL(get_SupportedModePages, SAFEARRAY**)
    STDMETHODIMP AcquireExclusiveAccess(VARIANT_BOOL, BSTR client) override {
        if (!Load(n_).lockedBy.empty()) return E_IMAPI_RECORDER_LOCKED;
        return Log(n_, "acquire " + Narrow(client)), S_OK;
    }
    STDMETHODIMP ReleaseExclusiveAccess() override { return Log(n_, "release"), S_OK; }
    STDMETHODIMP InitializeDiscRecorder(BSTR id) override {
        for (int n : Recorders())
            if (id && RecorderId(n) == id) return n_ = n, S_OK;
        return E_INVALIDARG;
    }
    GETTER(get_VendorId, BSTR, Load(n_).vendor) GETTER(get_ProductId, BSTR, Load(n_).product)
    GETTER(get_ExclusiveAccessOwner, BSTR, Load(n_).lockedBy)
    STDMETHODIMP get_VolumePathNames(SAFEARRAY** value) override {
        std::wstring letter = Load(n_).letter;
        if (letter.empty()) return PutArray(value, {});
        return PutArray(value, {Text((letter + L":\\").c_str())});
    }
    STDMETHODIMP get_SupportedProfiles(SAFEARRAY** value) override { return PutLongs(value, Load(n_).profiles); }
    void* Find(REFIID iid) override { return IsEqualIID(iid, IID_StandInRecorder) ? this : Object::Find(iid); }
    int n_ = 0;
};

// The number of one of the stand-in's own recorders, 0 for anything else.
int NumberOf(IDiscRecorder2* recorder) {
    ComPtr<Recorder> own;
    return recorder && SUCCEEDED(recorder->QueryInterface(IID_StandInRecorder, own.put_void())) ? own->n_ : 0;
}

// A progress record for the writers' events; a new one for every event.
template <class I, class Action>
struct Progress : Object<I, IWriteEngine2EventArgs> {
    struct Values { LONG action, start, count, last; } v{};
    GETTER(get_CurrentAction, Action, v.action) GETTER(get_StartLba, LONG, v.start)
    GETTER(get_SectorCount, LONG, v.count) GETTER(get_LastWrittenLba, LONG, v.last)
    NOTIMPL(get_LastReadLba, LONG*) NOTIMPL(get_ElapsedTime, LONG*) NOTIMPL(get_RemainingTime, LONG*)
    NOTIMPL(get_TotalSystemBuffer, LONG*) NOTIMPL(get_UsedSystemBuffer, LONG*) NOTIMPL(get_FreeSystemBuffer, LONG*)
};
struct TaoProgress final : Progress<IDiscFormat2TrackAtOnceEventArgs, IMAPI_FORMAT2_TAO_WRITE_ACTION> {
    NOTIMPL(get_CurrentTrackNumber, LONG*)
};
using RawProgress = Progress<IDiscFormat2RawCDEventArgs, IMAPI_FORMAT2_RAW_CD_WRITE_ACTION>;

// What every writer shares: the recorder, the client name and the connection point of its
// events, which keeps one sink. Queries are answered by the writers the engine asks them of.
template <class I, class Events>
struct Writer : Object<I, IDiscFormat2>, IConnectionPointContainer, IConnectionPoint {
    using Base = Object<I, IDiscFormat2>;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return Base::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return Base::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return Base::Release(); }
    NOTIMPL(IsRecorderSupported, IDiscRecorder2*, VARIANT_BOOL*) NOTIMPL(get_MediaPhysicallyBlank, VARIANT_BOOL*)
    NOTIMPL(IsCurrentMediaSupported, IDiscRecorder2*, VARIANT_BOOL*) NOTIMPL(get_SupportedMediaTypes, SAFEARRAY**)
    NOTIMPL(get_MediaHeuristicallyBlank, VARIANT_BOOL*) NOTIMPL(get_Recorder, IDiscRecorder2**)
    NOTIMPL(get_CurrentPhysicalMediaType, IMAPI_MEDIA_PHYSICAL_TYPE*) NOTIMPL(get_ClientName, BSTR*)
    NOTIMPL(EnumConnectionPoints, IEnumConnectionPoints**) NOTIMPL(EnumConnections, IEnumConnections**)
    NOTIMPL(GetConnectionInterface, IID*) NOTIMPL(GetConnectionPointContainer, IConnectionPointContainer**)
    STDMETHODIMP put_Recorder(IDiscRecorder2* recorder) override {
        return (n_ = NumberOf(recorder)) ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP put_ClientName(BSTR name) override { return Log(n_, "client " + Narrow(name)), S_OK; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = IsEqualIID(iid, __uuidof(Events)) ? this : nullptr;
        return *point ? (AddRef(), S_OK) : CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        if (sink_) return CONNECT_E_ADVISELIMIT;
        if (FAILED(sink->QueryInterface(__uuidof(Events), sink_.put_void()))) return CONNECT_E_CANNOTCONNECT;
        return Put(cookie, 1);
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        return sink_ && cookie == 1 ? (sink_.reset(), S_OK) : CONNECT_E_NOCONNECTION;
    }
    void* Find(REFIID iid) override {
        if (IsEqualIID(iid, IID_IConnectionPoint)) return static_cast<IConnectionPoint*>(this);
        if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
        return Base::Find(iid);
    }
    // Calls the sink's Update as a dispatch interface's events are called: through Invoke,
    // the arguments (the writer first) last to first.
    void Fire(std::vector<VARIANT> arguments) {
        arguments.insert(arguments.begin(), Dispatch(static_cast<I*>(this)));
        std::reverse(arguments.begin(), arguments.end());
        DISPPARAMS params{arguments.data(), nullptr, UINT(arguments.size()), 0};
        if (sink_) sink_->Invoke(DISPID_IMAPI_EVENTS_UPDATE, IID_NULL, 0, DISPATCH_METHOD, &params, {}, {}, {});
    }
    int n_ = 0;
    ComPtr<IDispatch> sink_;
};

// The two writers that burn (P: their progress record): speeds, preparation and the paced
// reading of their streams.
template <class I, class Events, class P>
struct Burner : Writer<I, Events> {
    STDMETHODIMP SetWriteSpeed(LONG sectorsPerSecond, VARIANT_BOOL) override {
        return Log(this->n_, "speed " + std::to_string(sectorsPerSecond)), S_OK;
    }
    STDMETHODIMP put_BufferUnderrunFreeDisabled(VARIANT_BOOL disabled) override {
        return Log(this->n_, disabled ? "underrun-free 0" : "underrun-free 1"), S_OK;
    }
    NOTIMPL(get_BufferUnderrunFreeDisabled, VARIANT_BOOL*) NOTIMPL(get_RequestedWriteSpeed, LONG*)
    NOTIMPL(get_CurrentWriteSpeed, LONG*) NOTIMPL(get_SupportedWriteSpeedDescriptors, SAFEARRAY**)
    NOTIMPL(get_RequestedRotationTypeIsPureCAV, VARIANT_BOOL*) NOTIMPL(get_SupportedWriteSpeeds, SAFEARRAY**)
    NOTIMPL(get_CurrentRotationTypeIsPureCAV, VARIANT_BOOL*)
    HRESULT Prepare(HRESULT unsupported, HRESULT notBlank, const char* kind) {
        Drive d = Load(this->n_);
        if (!d.present) return E_IMAPI_RECORDER_MEDIA_NO_MEDIA;
        if (!d.Writable()) return unsupported;
        if (notBlank && !d.Blank()) return notBlank;
        if (!d.lockedBy.empty()) return E_IMAPI_RECORDER_LOCKED;
        session_ = d;
        prepared_ = true;
        return Log(this->n_, std::string("prepare ") + kind), S_OK;
    }
    HRESULT Cancel() { return cancel_ = true, Log(this->n_, "cancel"), S_OK; }
    // Ends the session, keeping the disc when asked to.
    HRESULT EndSession(HRESULT notPrepared, bool closed, bool keep) {
        if (!prepared_) return notPrepared;
        prepared_ = false;
        session_.closed = closed;
        if (keep) SaveDisc(session_);
        return Log(this->n_, "release-media"), S_OK;
    }
    // Reads the stream of size bytes to its end in chunks, handing over each whole sector and
    // reporting each chunk with sector positions from start, at the script's pace; stops when
    // cancelled or once the script's share is read. Both writers' actions have the same values.
    template <class Take>
    HRESULT Pump(IStream* stream, ULONGLONG size, ULONG sectorBytes, ULONG chunkSectors, LONG start, Take take) {
        Drive d = Load(this->n_);
        std::vector<uint8_t> chunk(size_t(sectorBytes) * chunkSectors);
        ULONGLONG done = 0, began = GetTickCount64();
        auto report = [&](LONG action) {
            auto progress = ComPtr<P>::Attach(new P);
            progress->v = {action, start, LONG(size / sectorBytes), start + LONG(done / sectorBytes) - 1};
            this->Fire({Dispatch(progress.get())});
        };
        for (report(IMAPI_FORMAT2_TAO_WRITE_ACTION_PREPARING);;) {
            ULONG got = 0;
            if (cancel_) return E_IMAPI_REQUEST_CANCELLED;
            if (HRESULT hr = stream->Read(chunk.data(), ULONG(chunk.size()), &got); FAILED(hr)) return hr;
            if (!got) return report(IMAPI_FORMAT2_TAO_WRITE_ACTION_FINISHING), S_OK;
            done += got;
            for (ULONG at = 0; at + sectorBytes <= got; at += sectorBytes) take(&chunk[at]);
            report(IMAPI_FORMAT2_TAO_WRITE_ACTION_WRITING);
            if (cancel_) return E_IMAPI_REQUEST_CANCELLED;
            if (d.failAt >= 0 && done * 100 >= size * ULONGLONG(d.failAt))
                return Log(this->n_, "fail " + Hex(d.failCode)), d.failCode;
            ULONGLONG due = d.pace > 0 ? began + done / sectorBytes * 1000 / ULONGLONG(d.pace) : 0;
            for (ULONGLONG now; !cancel_ && (now = GetTickCount64()) < due;)
                Sleep(DWORD(std::min<ULONGLONG>(due - now, 20)));
        }
    }
    bool prepared_ = false;
    Drive session_;
    std::atomic<bool> cancel_{false};
};

// Also answers the engine's media queries, from the disc as the current session has left it.
struct TrackAtOnce final : Burner<IDiscFormat2TrackAtOnce, DDiscFormat2TrackAtOnceEvents, TaoProgress> {
    STDMETHODIMP PrepareMedia() override { return Prepare(E_IMAPI_DF2TAO_MEDIA_IS_NOT_SUPPORTED, S_OK, "tao"); }
    // Keeps the track's bytes in standin-<n>-track<NN>.pcm.
    STDMETHODIMP AddAudioTrack(IStream* data) override {
        if (!prepared_) return E_IMAPI_DF2TAO_MEDIA_IS_NOT_PREPARED;
        cancel_ = false;
        ULONGLONG size = StreamSize(data);
        if (!size || size % kAudioSector) return E_IMAPI_DF2TAO_STREAM_NOT_SUPPORTED;
        if (kPause + LONGLONG(size / kAudioSector) > session_.Free()) return E_IMAPI_DF2TAO_NOT_ENOUGH_SPACE;
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L"-track%02ld.pcm", session_.tracks + 1);
        File pcm = Create(n_, suffix);
        auto keep = [&](const uint8_t* sector) { if (pcm) std::fwrite(sector, 1, kAudioSector, pcm.get()); };
        if (HRESULT hr = Pump(data, size, kAudioSector, 32, session_.used + kPause, keep); FAILED(hr)) return hr;
        session_.used += kPause + LONG(size / kAudioSector);
        return Log(n_, "track " + std::to_string(++session_.tracks) + " " + std::to_string(size)), S_OK;
    }
    STDMETHODIMP CancelAddTrack() override { return Cancel(); }
    STDMETHODIMP ReleaseMedia() override {
        if (prepared_) Log(n_, doNotFinalize_ ? "finalize 0" : "finalize 1");
        return EndSession(E_IMAPI_DF2TAO_MEDIA_IS_NOT_PREPARED, !doNotFinalize_, true);
    }
    STDMETHODIMP put_DoNotFinalizeMedia(VARIANT_BOOL value) override { return doNotFinalize_ = value, S_OK; }
    NOTIMPL(get_DoNotFinalizeMedia, VARIANT_BOOL*) NOTIMPL(get_ExpectedTableOfContents, SAFEARRAY**)
    STDMETHODIMP IsCurrentMediaSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) override {
        int n = NumberOf(recorder);
        return n ? PutBool(value, Load(n).Writable()) : E_INVALIDARG;
    }
    STDMETHODIMP get_SupportedWriteSpeeds(SAFEARRAY** value) override { return PutLongs(value, Load(n_).speeds); }
#define DISC_GETTER(name, type, expression)                                           \
    STDMETHODIMP name(type* value) override {                                         \
        Drive d = prepared_ ? session_ : Load(n_);                                    \
        return d.present ? Put(value, expression) : E_IMAPI_RECORDER_MEDIA_NO_MEDIA; \
    }
    DISC_GETTER(get_MediaHeuristicallyBlank, VARIANT_BOOL, d.Blank() ? VARIANT_TRUE : VARIANT_FALSE)
    DISC_GETTER(get_CurrentPhysicalMediaType, IMAPI_MEDIA_PHYSICAL_TYPE,
                d.media == L"CD-RW"  ? IMAPI_MEDIA_TYPE_CDRW
                : d.media == L"CD-R" ? IMAPI_MEDIA_TYPE_CDR : IMAPI_MEDIA_TYPE_CDROM)
    DISC_GETTER(get_NumberOfExistingTracks, LONG, d.tracks) DISC_GETTER(get_TotalSectorsOnMedia, LONG, d.Total())
    DISC_GETTER(get_FreeSectorsOnMedia, LONG, d.Free()) DISC_GETTER(get_UsedSectorsOnMedia, LONG, d.used)
    bool doNotFinalize_ = false;
};

struct RawCd final : Burner<IDiscFormat2RawCD, DDiscFormat2RawCDEvents, RawProgress> {
    STDMETHODIMP PrepareMedia() override {
        return Prepare(E_IMAPI_DF2RAW_MEDIA_IS_NOT_SUPPORTED, E_IMAPI_DF2RAW_MEDIA_IS_NOT_BLANK, "raw");
    }
    // Keeps the program area's audio, its (TNO, INDEX) changes and the lead-in's CD-Text packs
    // (once round), as the sectors' subcode places them.
    STDMETHODIMP WriteMedia(IStream* data) override {
        if (!prepared_) return E_IMAPI_DF2RAW_MEDIA_IS_NOT_PREPARED;
        if (type_ != IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_COOKED) return E_IMAPI_DF2RAW_DATA_BLOCK_TYPE_NOT_SUPPORTED;
        ULONGLONG size = StreamSize(data);
        if (size % kRawSector) return E_IMAPI_DF2RAW_STREAM_NOT_SUPPORTED;
        cancel_ = false;
        File pcm = Create(n_, L"-raw.pcm"), toc = Create(n_, L"-raw.toc"), text = Create(n_, L"-cdtext.bin");
        if (!pcm || !toc || !text) return E_FAIL;
        std::set<uint8_t> tracks;
        std::vector<std::array<uint8_t, 18>> packs;
        LONG sectors = 0, program = 0;
        int tno = 0, index = 0, entry = -1; // entry: the table's last (TNO, INDEX), none in the lead-in
        bool leadOut = false, collecting = true;
        HRESULT hr = Pump(data, size, kRawSector, 256, kRawStartLba, [&](const uint8_t* s) {
            auto q = testsupport::DecodeQ(s + 2352);
            if ((q[0] & 0x0F) == 1) tno = q[1], index = q[2]; // other Q modes carry no track and index
            if (entry < 0 && tno == 0) {
                for (const auto& pack : testsupport::DecodePacks(s + 2352))
                    if (collecting && pack[0] >> 4 == 8 && (collecting = packs.empty() || pack[2] != packs[0][2]))
                        packs.push_back(pack);
            } else if (!leadOut) {
                if (entry < 0) Log(n_, "leadin " + std::to_string(sectors));
                if ((tno << 8 | index) != entry) std::fprintf(toc.get(), "%ld %02X %02X\n", program, tno, index);
                entry = tno << 8 | index;
                if (!(leadOut = tno == 0xAA)) std::fwrite(s, 1, 2352, pcm.get()), tracks.insert(tno), ++program;
            }
            ++sectors;
        });
        for (const auto& pack : packs) std::fwrite(pack.data(), 1, pack.size(), text.get());
        written_ = program > 0;
        session_.tracks = LONG(tracks.size());
        session_.used = program;
        return FAILED(hr) ? hr : (Log(n_, "raw " + std::to_string(sectors)), S_OK);
    }
    STDMETHODIMP CancelWrite() override { return Cancel(); }
    STDMETHODIMP ReleaseMedia() override { return EndSession(E_IMAPI_DF2RAW_MEDIA_IS_NOT_PREPARED, true, written_); }
    STDMETHODIMP IsRecorderSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) override {
        int n = NumberOf(recorder);
        return n ? PutBool(value, Load(n).raw) : E_INVALIDARG;
    }
    STDMETHODIMP get_SupportedSectorTypes(SAFEARRAY** value) override {
        return PutLongs(value, Load(n_).raw ? std::vector<LONG>{1, 2} : std::vector<LONG>());
    }
    STDMETHODIMP put_RequestedSectorType(IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE value) override {
        return type_ = value, Log(n_, "sectortype " + std::to_string(value)), S_OK;
    }
    NOTIMPL(get_RequestedSectorType, IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE*) NOTIMPL(WriteMedia2, IStream*, LONG)
    NOTIMPL(get_StartOfNextSession, LONG*) NOTIMPL(get_LastPossibleStartOfLeadout, LONG*)
    IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE type_ = IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_RAW;
    bool written_ = false;
};

struct Erase final : Writer<IDiscFormat2Erase, DDiscFormat2EraseEvents> {
    STDMETHODIMP put_FullErase(VARIANT_BOOL value) override { return full_ = value, S_OK; }
    NOTIMPL(get_FullErase, VARIANT_BOOL*)
    // Takes EraseMs, reporting five times; the script's EraseFailCode stops it halfway.
    STDMETHODIMP EraseMedia() override {
        Drive d = Load(n_);
        if (!d.present) return E_IMAPI_RECORDER_MEDIA_NO_MEDIA;
        if (d.media != L"CD-RW") return E_IMAPI_ERASE_MEDIA_IS_NOT_ERASABLE;
        if (!d.lockedBy.empty()) return E_IMAPI_ERASE_RECORDER_IN_USE;
        Log(n_, full_ ? "erase 1" : "erase 0");
        for (LONG step = 1; step <= 10; ++step) {
            Sleep(DWORD(d.eraseMs / 10));
            if (step == 5 && d.eraseFail) return Log(n_, "fail " + Hex(d.eraseFail)), d.eraseFail;
            if (step % 2 == 0) Fire({Long(step * d.eraseMs / 10000), Long((d.eraseMs + 999) / 1000)});
        }
        d.tracks = d.used = 0, d.closed = false;
        SaveDisc(d);
        return Log(n_, "erased"), S_OK;
    }
    bool full_ = false;
};

// ---- Class objects (static, never counted) and registration.

template <class T>
struct Factory final : IClassFactory {
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory);
        return !out ? E_POINTER : (*out = known ? this : nullptr) ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; } STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return outer ? CLASS_E_NOAGGREGATION : ComPtr<T>::Attach(new T)->QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
template <class T> Factory<T> g_factory;

const std::pair<const CLSID&, IClassFactory*> g_classes[] = {
    {CLSID_MsftDiscMaster2, &g_factory<Master>},
    {CLSID_MsftDiscRecorder2, &g_factory<Recorder>},
    {CLSID_MsftDiscFormat2TrackAtOnce, &g_factory<TrackAtOnce>},
    {CLSID_MsftDiscFormat2RawCD, &g_factory<RawCd>},
    {CLSID_MsftDiscFormat2Erase, &g_factory<Erase>},
};

std::wstring ClassKey(const CLSID& clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const auto& [id, factory] : g_classes)
        if (IsEqualCLSID(clsid, id) && !ScriptPath().empty()) return factory->QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    if (!length || length >= MAX_PATH) return SELFREG_E_CLASS;
    for (const auto& [id, factory] : g_classes) {
        std::wstring key = ClassKey(id) + L"\\InprocServer32";
        if (RegSetValueW(HKEY_LOCAL_MACHINE, key.c_str(), REG_SZ, path, 0) ||
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ThreadingModel", REG_SZ, L"Both", sizeof L"Both"))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    for (const auto& [id, factory] : g_classes) RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(id).c_str());
    return S_OK;
}
