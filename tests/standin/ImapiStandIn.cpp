// A stand-in for Windows' recording API (version 2) for the engine's tests under Wine: the
// API's own class ids, recorders described by the script file FENNEL_IMAPI_STANDIN names,
// each disc kept in a state file beside the script, and every call that matters logged there
// (standin-<n>.log, one line per call) with what the writers received. Without a script no
// class is available, as on a system without the API. Objects are free-threaded; events are
// raised synchronously on the thread of the writing call.
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
#include <vector>

#include "recorder/Imapi2.h"
#include "support/ComPtr.h"
#include "support/UniqueHandle.h"
#include "tests/common/RawSubcode.h"

namespace {

HMODULE g_module;
ULONGLONG g_loadedAt;
std::atomic<long> g_objects{0}, g_locks{0};
std::mutex g_logMutex;

constexpr LONG kPause = 150; // sectors before every track-at-once track
constexpr ULONG kAudioSector = 2352, kRawSector = 2448;
constexpr LONG kBuffer = 4 << 20; // the system buffer the progress records report
constexpr LONG kRawStartLba = -22650;
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
    for (size_t start = 0, end; start < s.size(); start = end + 1) {
        end = std::min(s.find(L',', start), s.size());
        items.push_back(Trim(s.substr(start, end - start)));
    }
    return items;
}

// An INI value without a trailing comment.
std::wstring Value(const std::wstring& file, const std::wstring& section, const wchar_t* key, const std::wstring& fallback) {
    wchar_t buffer[512];
    GetPrivateProfileStringW(section.c_str(), key, fallback.c_str(), buffer, 512, file.c_str());
    std::wstring value = buffer;
    return Trim(value.substr(0, value.find(L';')));
}

std::string Utf8(const wchar_t* text) {
    int size = text ? WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr) : 0;
    std::string result(size > 1 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::string Hex(HRESULT code) {
    char text[16];
    return std::string(text, size_t(std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code))));
}

// Appends one line to the recorder's log, at once.
void Log(int n, const std::string& line) {
    std::lock_guard lock(g_logMutex);
    if (FILE* file = _wfopen(OutPath(n, L".log").c_str(), L"ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

constexpr auto kClose = [](FILE* file) { std::fclose(file); };
using File = std::unique_ptr<FILE, decltype(kClose)>;
File Create(int n, const std::wstring& suffix) { return File(_wfopen(OutPath(n, suffix).c_str(), L"wb")); }

// One recorder as the script describes it, with the disc it holds now.
struct Drive {
    int n = 0;
    std::wstring letter, vendor, product, revision, lockedBy, media;
    bool cdr = false, cdrw = false, raw = false, present = false, closed = false;
    std::vector<LONG> speeds; // x
    LONG capacity = 0, tracks = 0, used = 0, failAt = -1, pace = 0, eraseMs = 0;
    HRESULT failCode = 0, eraseFail = 0;

    LONG Total() const { return capacity * 60 * 75; }
    LONG Free() const { return Total() - used; }
    bool Blank() const { return tracks == 0 && used == 0; }
    bool Writable() const { return present && media != L"CD-ROM" && !closed; }
    bool Rewritable() const { return present && media == L"CD-RW"; }
    LONG Profile() const { return media == L"CD-RW" ? 0x0A : media == L"CD-R" ? 0x09 : 0x08; }
    IMAPI_MEDIA_PHYSICAL_TYPE Type() const {
        return media == L"CD-RW" ? IMAPI_MEDIA_TYPE_CDRW : media == L"CD-R" ? IMAPI_MEDIA_TYPE_CDR : IMAPI_MEDIA_TYPE_CDROM;
    }
};

Drive Load(int n) {
    Drive d;
    d.n = n;
    std::wstring script = ScriptPath(), state = OutPath(n, L".state"), section = L"Recorder " + std::to_wstring(n);
    auto text = [&](const wchar_t* key, const wchar_t* fallback) { return Value(script, section, key, fallback); };
    auto number = [&](const wchar_t* key, const wchar_t* fallback) { return std::wcstoll(text(key, fallback).c_str(), nullptr, 0); };
    auto disc = [&](const wchar_t* key, const wchar_t* fallback) { return Value(state, L"Disc", key, text(key, fallback)); };
    d.letter = text(L"Letter", L"E");
    d.vendor = text(L"Vendor", L"FENNEL");
    d.product = text(L"Product", L"Test Writer");
    d.revision = text(L"Revision", L"1.00");
    d.lockedBy = text(L"LockedBy", L"");
    for (const auto& profile : List(text(L"Profiles", L"CD-R, CD-RW"))) {
        d.cdr = d.cdr || profile == L"CD-R";
        d.cdrw = d.cdrw || profile == L"CD-RW";
    }
    d.raw = number(L"Raw", L"1") != 0;
    for (const auto& speed : List(text(L"WriteSpeeds", L"48, 24, 16"))) d.speeds.push_back(std::wcstol(speed.c_str(), nullptr, 10));
    d.capacity = LONG(number(L"Capacity", L"80"));
    d.failAt = LONG(number(L"FailAtPercent", L"-1"));
    d.failCode = HRESULT(uint32_t(number(L"FailCode", L"0xC0AA0300")));
    d.pace = LONG(number(L"SectorsPerSecond", L"0"));
    d.eraseMs = LONG(number(L"EraseMs", L"300"));
    d.eraseFail = HRESULT(uint32_t(number(L"EraseFailCode", L"0")));
    // The state file's disc replaces the script's, but a script without a disc keeps none.
    d.media = disc(L"Media", L"CD-R");
    d.present = text(L"Media", L"CD-R") != L"none" && d.media != L"none" &&
                GetTickCount64() - g_loadedAt >= ULONGLONG(number(L"InsertAfterMs", L"0"));
    d.tracks = std::wcstol(disc(L"Tracks", L"0").c_str(), nullptr, 10);
    d.used = std::wcstol(disc(L"UsedSectors", L"0").c_str(), nullptr, 10);
    d.closed = disc(L"Closed", L"0") != L"0";
    return d;
}

void SaveDisc(const Drive& d) {
    std::wstring file = OutPath(d.n, L".state");
    auto put = [&](const wchar_t* key, const std::wstring& value) {
        WritePrivateProfileStringW(L"Disc", key, value.c_str(), file.c_str());
    };
    put(L"Media", d.media);
    put(L"Tracks", std::to_wstring(d.tracks));
    put(L"UsedSectors", std::to_wstring(d.used));
    put(L"Closed", d.closed ? L"1" : L"0");
}

// The numbers of the script's [Recorder n] sections, in order.
std::vector<int> Recorders() {
    std::vector<int> numbers;
    wchar_t names[4096];
    std::wstring script = ScriptPath();
    DWORD length = script.empty() ? 0 : GetPrivateProfileSectionNamesW(names, 4096, script.c_str());
    for (const wchar_t* name = names; name < names + length && *name; name += std::wcslen(name) + 1)
        if (std::wcsncmp(name, L"Recorder ", 9) == 0 && name[9] >= L'1' && name[9] <= L'9' && !name[10])
            numbers.push_back(name[9] - L'0');
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::wstring RecorderId(int n) { return L"StandIn:" + std::to_wstring(n); }

// ---- Out-parameters.

HRESULT Put(BSTR* out, const std::wstring& value) {
    if (!out) return E_POINTER;
    *out = SysAllocString(value.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}
template <class T, class V>
HRESULT Put(T* out, V value) {
    if (!out) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}
HRESULT PutBool(VARIANT_BOOL* out, bool value) { return Put(out, value ? VARIANT_TRUE : VARIANT_FALSE); }

VARIANT Long(LONG value) {
    VARIANT v{};
    return V_VT(&v) = VT_I4, V_I4(&v) = value, v;
}
VARIANT Dispatch(IDispatch* value) {
    VARIANT v{};
    return V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = value, v;
}

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

#define STANDIN_NOTIMPL(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
#define STANDIN_GET(name, type, expression) \
    HRESULT STDMETHODCALLTYPE name(type* value) override { return Put(value, expression); }
// A query about the disc in the recorder (d).
#define STANDIN_DISC(name, type, expression) \
    HRESULT STDMETHODCALLTYPE name(type* value) override { return WithDisc([&](const Drive& d) { return Put(value, expression); }); }

// ---- Objects: IUnknown with an atomic count; IDispatch only as far as vtable callers need.

template <class I, class Also = I>
class Object : public I {
public:
    Object() { ++g_objects; }
    virtual ~Object() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (!(*out = Find(iid))) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = --refs_;
        if (!refs) delete this;
        return refs;
    }
    STANDIN_GET(GetTypeInfoCount, UINT, 0)
    STANDIN_NOTIMPL(GetTypeInfo, UINT, LCID, ITypeInfo**)
    STANDIN_NOTIMPL(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    STANDIN_NOTIMPL(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

protected:
    virtual void* Find(REFIID iid) {
        for (const IID* known : {&IID_IUnknown, &IID_IDispatch, &__uuidof(I), &__uuidof(Also)})
            if (IsEqualIID(iid, *known)) return static_cast<I*>(this);
        return nullptr;
    }

private:
    std::atomic<ULONG> refs_{1};
};

class Master final : public Object<IDiscMaster2> {
public:
    STANDIN_NOTIMPL(get__NewEnum, IEnumVARIANT**)
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, BSTR* value) override {
        auto numbers = Recorders();
        return index >= 0 && size_t(index) < numbers.size() ? Put(value, RecorderId(numbers[size_t(index)])) : E_INVALIDARG;
    }
    STANDIN_GET(get_Count, LONG, Recorders().size())
    STANDIN_GET(get_IsSupportedEnvironment, VARIANT_BOOL, VARIANT_TRUE)
};

class Recorder final : public Object<IDiscRecorder2> {
public:
    int Number() const { return n_; }

    STANDIN_NOTIMPL(EjectMedia) STANDIN_NOTIMPL(CloseTray) STANDIN_NOTIMPL(DisableMcn) STANDIN_NOTIMPL(EnableMcn)
    STANDIN_NOTIMPL(get_VolumeName, BSTR*) STANDIN_NOTIMPL(get_LegacyDeviceNumber, LONG*)
    STANDIN_NOTIMPL(get_SupportedFeaturePages, SAFEARRAY**) STANDIN_NOTIMPL(get_CurrentFeaturePages, SAFEARRAY**)
    STANDIN_NOTIMPL(get_SupportedModePages, SAFEARRAY**)

    HRESULT STDMETHODCALLTYPE AcquireExclusiveAccess(VARIANT_BOOL, BSTR client) override {
        if (!n_) return E_IMAPI_RECORDER_REQUIRED;
        if (!Load(n_).lockedBy.empty()) return E_IMAPI_RECORDER_LOCKED;
        ++held_;
        Log(n_, "acquire " + Utf8(client));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReleaseExclusiveAccess() override {
        if (held_.fetch_sub(1) <= 0) {
            ++held_;
            return S_FALSE;
        }
        Log(n_, "release");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitializeDiscRecorder(BSTR id) override {
        for (int n : Recorders())
            if (id && RecorderId(n) == id) {
                n_ = n;
                return S_OK;
            }
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_ActiveDiscRecorder(BSTR* value) override {
        return n_ ? Put(value, RecorderId(n_)) : E_IMAPI_RECORDER_REQUIRED;
    }
    STANDIN_GET(get_VendorId, BSTR, Load(n_).vendor)
    STANDIN_GET(get_ProductId, BSTR, Load(n_).product)
    STANDIN_GET(get_ProductRevision, BSTR, Load(n_).revision)
    STANDIN_GET(get_DeviceCanLoadMedia, VARIANT_BOOL, VARIANT_TRUE)
    HRESULT STDMETHODCALLTYPE get_VolumePathNames(SAFEARRAY** value) override {
        std::wstring letter = Load(n_).letter;
        VARIANT path{};
        V_VT(&path) = VT_BSTR;
        V_BSTR(&path) = SysAllocString((letter + L":\\").c_str());
        return PutArray(value, letter.empty() ? std::vector<VARIANT>() : std::vector<VARIANT>{path});
    }
    HRESULT STDMETHODCALLTYPE get_SupportedProfiles(SAFEARRAY** value) override {
        Drive d = Load(n_);
        std::vector<LONG> profiles{IMAPI_PROFILE_TYPE_CDROM};
        if (d.cdr) profiles.push_back(IMAPI_PROFILE_TYPE_CD_RECORDABLE);
        if (d.cdrw) profiles.push_back(IMAPI_PROFILE_TYPE_CD_REWRITABLE);
        return PutLongs(value, profiles);
    }
    HRESULT STDMETHODCALLTYPE get_CurrentProfiles(SAFEARRAY** value) override {
        Drive d = Load(n_);
        return PutLongs(value, d.present ? std::vector<LONG>{d.Profile()} : std::vector<LONG>());
    }
    STANDIN_GET(get_ExclusiveAccessOwner, BSTR, Load(n_).lockedBy)

protected:
    void* Find(REFIID iid) override { return IsEqualIID(iid, IID_StandInRecorder) ? this : Object::Find(iid); }

private:
    int n_ = 0;
    std::atomic<int> held_{0};
};

// The number of one of the stand-in's own recorders, 0 for anything else.
int NumberOf(IDiscRecorder2* recorder) {
    Recorder* own = nullptr;
    if (!recorder || FAILED(recorder->QueryInterface(IID_StandInRecorder, reinterpret_cast<void**>(&own)))) return 0;
    int n = own->Number();
    own->Release();
    return n;
}

// A progress record for the writers' events; a new one for every event.
template <class I, class Action>
class Progress : public Object<I, IWriteEngine2EventArgs> {
public:
    struct Values {
        LONG action, track, start, count, last, used, elapsed;
    } v{};

    STANDIN_GET(get_StartLba, LONG, v.start)
    STANDIN_GET(get_SectorCount, LONG, v.count)
    STANDIN_GET(get_LastReadLba, LONG, v.last)
    STANDIN_GET(get_LastWrittenLba, LONG, v.last)
    STANDIN_GET(get_TotalSystemBuffer, LONG, kBuffer)
    STANDIN_GET(get_UsedSystemBuffer, LONG, v.used)
    STANDIN_GET(get_FreeSystemBuffer, LONG, kBuffer - v.used)
    STANDIN_GET(get_CurrentAction, Action, v.action)
    STANDIN_GET(get_ElapsedTime, LONG, v.elapsed)
    STANDIN_GET(get_RemainingTime, LONG, 0)
};
class TaoProgress final : public Progress<IDiscFormat2TrackAtOnceEventArgs, IMAPI_FORMAT2_TAO_WRITE_ACTION> {
public:
    STANDIN_GET(get_CurrentTrackNumber, LONG, v.track)
};
using RawProgress = Progress<IDiscFormat2RawCDEventArgs, IMAPI_FORMAT2_RAW_CD_WRITE_ACTION>;

// What every writer shares: the recorder, the client name, the media queries and the
// connection point of its events, which keeps one sink.
template <class I, class Events>
class Writer : public Object<I, IDiscFormat2>, public IConnectionPointContainer, public IConnectionPoint {
    using Base = Object<I, IDiscFormat2>;

public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return Base::QueryInterface(iid, out); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

    HRESULT STDMETHODCALLTYPE IsRecorderSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) override {
        int n = NumberOf(recorder);
        return n ? PutBool(value, Supports(Load(n))) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE IsCurrentMediaSupported(IDiscRecorder2* recorder, VARIANT_BOOL* value) override {
        int n = NumberOf(recorder);
        return n ? PutBool(value, Accepts(Load(n))) : E_INVALIDARG;
    }
    STANDIN_DISC(get_MediaPhysicallyBlank, VARIANT_BOOL, d.Blank() ? VARIANT_TRUE : VARIANT_FALSE)
    STANDIN_DISC(get_MediaHeuristicallyBlank, VARIANT_BOOL, d.Blank() ? VARIANT_TRUE : VARIANT_FALSE)
    STANDIN_NOTIMPL(get_SupportedMediaTypes, SAFEARRAY**)
    HRESULT STDMETHODCALLTYPE put_Recorder(IDiscRecorder2* recorder) override {
        if (!(n_ = NumberOf(recorder))) return E_INVALIDARG;
        recorder_ = recorder;
        for (const auto& line : unlogged_) Log(n_, line);
        unlogged_.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Recorder(IDiscRecorder2** value) override { return Put(value, ComPtr(recorder_).detach()); }
    STANDIN_DISC(get_CurrentPhysicalMediaType, IMAPI_MEDIA_PHYSICAL_TYPE, d.Type())
    HRESULT STDMETHODCALLTYPE put_ClientName(BSTR name) override {
        client_ = name ? name : L"";
        Note("client " + Utf8(name));
        return S_OK;
    }
    STANDIN_GET(get_ClientName, BSTR, client_)

    STANDIN_NOTIMPL(EnumConnectionPoints, IEnumConnectionPoints**)
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        if (!(*point = IsEqualIID(iid, __uuidof(Events)) ? this : nullptr)) return CONNECT_E_NOCONNECTION;
        AddRef();
        return S_OK;
    }
    STANDIN_GET(GetConnectionInterface, IID, __uuidof(Events))
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) return E_POINTER;
        *container = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        ComPtr<IDispatch> events;
        if (FAILED(sink->QueryInterface(__uuidof(Events), events.put_void())) || !events) return CONNECT_E_CANNOTCONNECT;
        std::lock_guard lock(sinkMutex_);
        if (sink_) return CONNECT_E_ADVISELIMIT;
        sink_ = events;
        return Put(cookie, ++lastCookie_);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        ComPtr<IDispatch> gone; // released after the lock
        std::lock_guard lock(sinkMutex_);
        if (!sink_ || cookie != lastCookie_) return CONNECT_E_NOCONNECTION;
        std::swap(gone, sink_);
        return S_OK;
    }
    STANDIN_NOTIMPL(EnumConnections, IEnumConnections**)

protected:
    virtual bool Supports(const Drive& d) const = 0;
    virtual bool Accepts(const Drive& d) const = 0;
    // The disc as the current session has left it so far.
    virtual Drive Current() const { return Load(n_); }

    void* Find(REFIID iid) override {
        if (IsEqualIID(iid, IID_IConnectionPoint)) return static_cast<IConnectionPoint*>(this);
        return IsEqualIID(iid, IID_IConnectionPointContainer) ? static_cast<IConnectionPointContainer*>(this) : Base::Find(iid);
    }

    template <class F>
    HRESULT WithDisc(F answer) const {
        if (!n_) return E_IMAPI_RECORDER_REQUIRED;
        Drive d = Current();
        return d.present ? answer(d) : E_IMAPI_RECORDER_MEDIA_NO_MEDIA;
    }

    // Logs for the recorder, or once there is one.
    void Note(const std::string& line) {
        if (n_) Log(n_, line);
        else unlogged_.push_back(line);
    }

    // Fires Update with a new progress record.
    template <class P>
    void Report(const typename P::Values& values) {
        auto* progress = new P;
        progress->v = values;
        Fire({Dispatch(progress)});
        progress->Release();
    }

    // Calls the sink's Update as a dispatch interface's events are called: through Invoke,
    // the arguments last to first.
    void Fire(std::vector<VARIANT> arguments) {
        ComPtr<IDispatch> sink;
        {
            std::lock_guard lock(sinkMutex_);
            sink = sink_;
        }
        arguments.insert(arguments.begin(), Dispatch(static_cast<I*>(this)));
        std::reverse(arguments.begin(), arguments.end());
        DISPPARAMS params{arguments.data(), nullptr, UINT(arguments.size()), 0};
        if (sink) sink->Invoke(DISPID_IMAPI_EVENTS_UPDATE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    int n_ = 0;
    std::wstring client_;

private:
    ComPtr<IDiscRecorder2> recorder_;
    std::vector<std::string> unlogged_;
    std::mutex sinkMutex_;
    ComPtr<IDispatch> sink_;
    DWORD lastCookie_ = 0;
};

// The two writers that burn: speeds, preparation and the paced reading of their streams.
template <class I, class Events>
class Burner : public Writer<I, Events> {
public:
    HRESULT STDMETHODCALLTYPE SetWriteSpeed(LONG sectorsPerSecond, VARIANT_BOOL) override {
        speed_ = sectorsPerSecond;
        this->Note("speed " + std::to_string(sectorsPerSecond));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_BufferUnderrunFreeDisabled(VARIANT_BOOL disabled) override {
        underrunFreeDisabled_ = disabled;
        this->Note(disabled ? "underrun-free 0" : "underrun-free 1");
        return S_OK;
    }
    STANDIN_GET(get_BufferUnderrunFreeDisabled, VARIANT_BOOL, underrunFreeDisabled_)
    STANDIN_GET(get_RequestedWriteSpeed, LONG, speed_)
    STANDIN_GET(get_CurrentWriteSpeed, LONG, speed_)
    STANDIN_GET(get_RequestedRotationTypeIsPureCAV, VARIANT_BOOL, VARIANT_FALSE)
    STANDIN_GET(get_CurrentRotationTypeIsPureCAV, VARIANT_BOOL, VARIANT_FALSE)
    HRESULT STDMETHODCALLTYPE get_SupportedWriteSpeeds(SAFEARRAY** value) override {
        std::vector<LONG> speeds;
        for (LONG x : Load(this->n_).speeds) speeds.push_back(x * IMAPI_SECTORS_PER_SECOND_1X);
        std::sort(speeds.rbegin(), speeds.rend());
        return PutLongs(value, speeds);
    }
    STANDIN_NOTIMPL(get_SupportedWriteSpeedDescriptors, SAFEARRAY**)

protected:
    Drive Current() const override { return prepared_ ? session_ : Load(this->n_); }

    HRESULT Prepare(HRESULT unsupported, HRESULT notBlank, const char* kind) {
        if (!this->n_) return E_IMAPI_RECORDER_REQUIRED;
        Drive d = Load(this->n_);
        if (!d.present) return E_IMAPI_RECORDER_MEDIA_NO_MEDIA;
        if (!d.Writable()) return unsupported;
        if (notBlank && !d.Blank()) return notBlank;
        if (!d.lockedBy.empty()) return E_IMAPI_RECORDER_LOCKED;
        session_ = d;
        prepared_ = true;
        this->Note(std::string("prepare ") + kind);
        return S_OK;
    }

    HRESULT Cancel() {
        cancel_ = true;
        this->Note("cancel");
        return S_OK;
    }

    // Reads the stream to its end in chunks of whole sectors (but the last), handing over each,
    // at the script's pace; stops when cancelled or once the script's share of size bytes is read.
    template <class Take>
    HRESULT Pump(IStream* stream, ULONGLONG size, ULONG sectorBytes, ULONG chunkSectors, ULONGLONG& done, Take take) {
        Drive d = Load(this->n_);
        std::vector<uint8_t> chunk(size_t(sectorBytes) * chunkSectors);
        ULONGLONG start = GetTickCount64();
        for (done = 0;;) {
            if (cancel_) return E_IMAPI_REQUEST_CANCELLED;
            ULONG filled = 0, got = 1;
            while (got && filled < chunk.size()) {
                got = 0;
                if (HRESULT hr = stream->Read(chunk.data() + filled, ULONG(chunk.size()) - filled, &got); FAILED(hr)) return hr;
                filled += got;
            }
            if (!filled) return S_OK;
            done += filled;
            take(chunk.data(), filled);
            if (cancel_) return E_IMAPI_REQUEST_CANCELLED;
            if (d.failAt >= 0 && size && done * 100 >= size * ULONGLONG(d.failAt)) {
                Log(this->n_, "fail " + Hex(d.failCode));
                return d.failCode;
            }
            ULONGLONG due = d.pace > 0 ? start + done / sectorBytes * 1000 / ULONGLONG(d.pace) : 0;
            for (ULONGLONG now; !cancel_ && (now = GetTickCount64()) < due;) Sleep(DWORD(std::min<ULONGLONG>(due - now, 20)));
        }
    }

    static ULONGLONG StreamSize(IStream* stream) {
        STATSTG stat{};
        return SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) ? stat.cbSize.QuadPart : 0;
    }

    bool prepared_ = false;
    Drive session_;
    std::atomic<bool> cancel_{false};

private:
    LONG speed_ = 0;
    VARIANT_BOOL underrunFreeDisabled_ = VARIANT_FALSE;
};

class TrackAtOnce final : public Burner<IDiscFormat2TrackAtOnce, DDiscFormat2TrackAtOnceEvents> {
public:
    HRESULT STDMETHODCALLTYPE PrepareMedia() override { return Prepare(E_IMAPI_DF2TAO_MEDIA_IS_NOT_SUPPORTED, S_OK, "tao"); }
    // Keeps the track's bytes in standin-<n>-track<NN>.pcm. The checks of its length come
    // before reading when the stream tells its size, else after.
    HRESULT STDMETHODCALLTYPE AddAudioTrack(IStream* data) override {
        if (!data) return E_POINTER;
        if (!prepared_) return E_IMAPI_DF2TAO_MEDIA_IS_NOT_PREPARED;
        cancel_ = false;
        auto check = [&](ULONGLONG bytes) {
            if (!bytes || bytes % kAudioSector) return E_IMAPI_DF2TAO_STREAM_NOT_SUPPORTED;
            return kPause + LONGLONG(bytes / kAudioSector) > session_.Free() ? E_IMAPI_DF2TAO_NOT_ENOUGH_SPACE : S_OK;
        };
        ULONGLONG size = StreamSize(data), done = 0, began = GetTickCount64();
        if (HRESULT hr = size ? check(size) : S_OK; FAILED(hr)) return hr;
        LONG track = session_.tracks + 1, start = session_.used + kPause;
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L"-track%02ld.pcm", track);
        File pcm = Create(n_, suffix);
        auto progress = [&](LONG action, ULONG chunk) {
            LONG count = LONG((size ? size : done) / kAudioSector), written = LONG(done / kAudioSector);
            Report<TaoProgress>({action, track, start, count, start + written - 1, LONG(std::min<ULONG>(chunk, kBuffer)),
                                 LONG((GetTickCount64() - began) / 1000)});
        };
        progress(IMAPI_FORMAT2_TAO_WRITE_ACTION_PREPARING, 0);
        HRESULT hr = Pump(data, size, kAudioSector, 32, done, [&](const uint8_t* bytes, ULONG count) {
            if (pcm) std::fwrite(bytes, 1, count, pcm.get());
            progress(IMAPI_FORMAT2_TAO_WRITE_ACTION_WRITING, count);
        });
        if (FAILED(hr) || FAILED(hr = check(done))) return hr;
        progress(IMAPI_FORMAT2_TAO_WRITE_ACTION_FINISHING, 0);
        session_.tracks = track;
        session_.used += kPause + LONG(done / kAudioSector);
        Log(n_, "track " + std::to_string(track) + " " + std::to_string(done));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CancelAddTrack() override { return Cancel(); }
    HRESULT STDMETHODCALLTYPE ReleaseMedia() override {
        if (!prepared_) return E_IMAPI_DF2TAO_MEDIA_IS_NOT_PREPARED;
        prepared_ = false;
        session_.closed = !doNotFinalize_;
        SaveDisc(session_);
        Log(n_, doNotFinalize_ ? "finalize 0" : "finalize 1");
        Log(n_, "release-media");
        return S_OK;
    }
    STANDIN_DISC(get_NumberOfExistingTracks, LONG, d.tracks)
    STANDIN_DISC(get_TotalSectorsOnMedia, LONG, d.Total())
    STANDIN_DISC(get_FreeSectorsOnMedia, LONG, d.Free())
    STANDIN_DISC(get_UsedSectorsOnMedia, LONG, d.used)
    HRESULT STDMETHODCALLTYPE put_DoNotFinalizeMedia(VARIANT_BOOL value) override {
        doNotFinalize_ = value != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DoNotFinalizeMedia(VARIANT_BOOL* value) override { return PutBool(value, doNotFinalize_); }
    STANDIN_NOTIMPL(get_ExpectedTableOfContents, SAFEARRAY**)

protected:
    bool Supports(const Drive& d) const override { return d.cdr || d.cdrw; }
    bool Accepts(const Drive& d) const override { return d.Writable(); }

private:
    bool doNotFinalize_ = false;
};

class RawCd final : public Burner<IDiscFormat2RawCD, DDiscFormat2RawCDEvents> {
public:
    HRESULT STDMETHODCALLTYPE PrepareMedia() override {
        return Prepare(E_IMAPI_DF2RAW_MEDIA_IS_NOT_SUPPORTED, E_IMAPI_DF2RAW_MEDIA_IS_NOT_BLANK, "raw");
    }
    // Keeps the program area's audio, its (TNO, INDEX) changes and the lead-in's CD-Text, as
    // the sectors' subcode places them.
    HRESULT STDMETHODCALLTYPE WriteMedia(IStream* data) override {
        if (!data) return E_POINTER;
        if (!prepared_) return E_IMAPI_DF2RAW_MEDIA_IS_NOT_PREPARED;
        if (type_ != IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_COOKED) return E_IMAPI_DF2RAW_DATA_BLOCK_TYPE_NOT_SUPPORTED;
        ULONGLONG size = StreamSize(data), done = 0;
        if (size % kRawSector) return E_IMAPI_DF2RAW_STREAM_NOT_SUPPORTED;
        cancel_ = false;
        File pcm = Create(n_, L"-raw.pcm"), toc = Create(n_, L"-raw.toc"), text = Create(n_, L"-cdtext.bin");
        if (!pcm || !toc || !text) return E_FAIL;
        std::set<uint8_t> tracks;
        std::vector<std::array<uint8_t, 18>> packs;
        uint8_t tno = 0, index = 0;
        LONG sectors = 0, program = 0;
        bool inProgram = false, leadOut = false, collecting = true;
        auto sector = [&](const uint8_t* s) {
            auto q = testsupport::DecodeQ(s + 2352);
            bool position = (q[0] & 0x0F) == 1; // other Q modes carry no track and index
            uint8_t newTno = position ? q[1] : tno, newIndex = position ? q[2] : index;
            if (!inProgram && newTno == 0) {
                for (const auto& pack : testsupport::DecodePacks(s + 2352)) {
                    if (!collecting || pack[0] < 0x80 || pack[0] > 0x8F) continue; // not a CD-Text pack
                    if ((collecting = packs.empty() || pack[2] != packs[0][2])) packs.push_back(pack);
                }
            } else if (!leadOut) {
                if (!inProgram) Log(n_, "leadin " + std::to_string(sectors));
                if (!inProgram || newTno != tno || newIndex != index)
                    std::fprintf(toc.get(), "%ld %02X %02X\n", program, newTno, newIndex);
                inProgram = true;
                if (!(leadOut = newTno == 0xAA)) {
                    std::fwrite(s, 1, 2352, pcm.get());
                    tracks.insert(newTno);
                    ++program;
                }
            }
            tno = newTno;
            index = newIndex;
            ++sectors;
        };
        auto progress = [&](LONG action) {
            LONG count = LONG((size ? size : done) / kRawSector);
            Report<RawProgress>({action, 0, kRawStartLba, count, kRawStartLba + LONG(done / kRawSector) - 1, 0, 0});
        };
        progress(IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_PREPARING);
        HRESULT hr = Pump(data, size, kRawSector, 256, done, [&](const uint8_t* bytes, ULONG count) {
            for (ULONG at = 0; at + kRawSector <= count; at += kRawSector) sector(bytes + at);
            progress(IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_WRITING);
        });
        for (const auto& pack : packs) std::fwrite(pack.data(), 1, pack.size(), text.get());
        written_ = program > 0;
        session_.tracks = LONG(tracks.size());
        session_.used = program;
        if (SUCCEEDED(hr) && done % kRawSector) hr = E_IMAPI_DF2RAW_STREAM_NOT_SUPPORTED;
        if (FAILED(hr)) return hr;
        progress(IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_FINISHING);
        Log(n_, "raw " + std::to_string(sectors));
        return S_OK;
    }
    STANDIN_NOTIMPL(WriteMedia2, IStream*, LONG)
    HRESULT STDMETHODCALLTYPE CancelWrite() override { return Cancel(); }
    HRESULT STDMETHODCALLTYPE ReleaseMedia() override {
        if (!prepared_) return E_IMAPI_DF2RAW_MEDIA_IS_NOT_PREPARED;
        prepared_ = false;
        session_.closed = true;
        if (written_) SaveDisc(session_);
        Log(n_, "release-media");
        return S_OK;
    }
    STANDIN_NOTIMPL(get_StartOfNextSession, LONG*) STANDIN_NOTIMPL(get_LastPossibleStartOfLeadout, LONG*)
    HRESULT STDMETHODCALLTYPE get_SupportedSectorTypes(SAFEARRAY** value) override {
        return PutLongs(value, Load(n_).raw ? std::vector<LONG>{1, 2} : std::vector<LONG>());
    }
    HRESULT STDMETHODCALLTYPE put_RequestedSectorType(IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE value) override {
        type_ = value;
        Note("sectortype " + std::to_string(value));
        return S_OK;
    }
    STANDIN_GET(get_RequestedSectorType, IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE, type_)

protected:
    bool Supports(const Drive& d) const override { return d.raw; }
    bool Accepts(const Drive& d) const override { return d.Writable(); }

private:
    IMAPI_FORMAT2_RAW_CD_DATA_SECTOR_TYPE type_ = IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_RAW;
    bool written_ = false;
};

class Erase final : public Writer<IDiscFormat2Erase, DDiscFormat2EraseEvents> {
public:
    HRESULT STDMETHODCALLTYPE put_FullErase(VARIANT_BOOL value) override {
        full_ = value != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_FullErase(VARIANT_BOOL* value) override { return PutBool(value, full_); }
    // Takes EraseMs, reporting five times; the script's EraseFailCode stops it halfway.
    HRESULT STDMETHODCALLTYPE EraseMedia() override {
        if (!n_) return E_IMAPI_RECORDER_REQUIRED;
        Drive d = Load(n_);
        if (!d.present) return E_IMAPI_RECORDER_MEDIA_NO_MEDIA;
        if (!d.Rewritable()) return E_IMAPI_ERASE_MEDIA_IS_NOT_ERASABLE;
        if (!d.lockedBy.empty()) return E_IMAPI_ERASE_RECORDER_IN_USE;
        Note(full_ ? "erase 1" : "erase 0");
        for (LONG step = 1; step <= 10; ++step) {
            Sleep(DWORD(d.eraseMs / 10));
            if (step == 5 && d.eraseFail) {
                Log(n_, "fail " + Hex(d.eraseFail));
                return d.eraseFail;
            }
            if (step % 2 == 0) Fire({Long(step * d.eraseMs / 10000), Long((d.eraseMs + 999) / 1000)});
        }
        d.tracks = d.used = 0;
        d.closed = false;
        SaveDisc(d);
        Log(n_, "erased");
        return S_OK;
    }

protected:
    bool Supports(const Drive& d) const override { return d.cdrw; }
    bool Accepts(const Drive& d) const override { return d.Rewritable(); }

private:
    bool full_ = false;
};

// ---- Class objects and registration.

template <class T>
IUnknown* Make() { return static_cast<IDispatch*>(new T); }

class Factory final : public IClassFactory {
public:
    Factory(const CLSID& clsid, IUnknown* (*make)()) : clsid_(clsid), make_(make) {}
    const CLSID& Clsid() const { return clsid_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* object = make_();
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return lock ? ++g_locks : --g_locks, S_OK; }

private:
    const CLSID& clsid_;
    IUnknown* (*make_)();
};

Factory g_factories[] = {
    {CLSID_MsftDiscMaster2, &Make<Master>},
    {CLSID_MsftDiscRecorder2, &Make<Recorder>},
    {CLSID_MsftDiscFormat2TrackAtOnce, &Make<TrackAtOnce>},
    {CLSID_MsftDiscFormat2RawCD, &Make<RawCd>},
    {CLSID_MsftDiscFormat2Erase, &Make<Erase>},
};

std::wstring ClassKey(const CLSID& clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        g_loadedAt = GetTickCount64();
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (ScriptPath().empty()) return CLASS_E_CLASSNOTAVAILABLE;
    for (auto& factory : g_factories)
        if (IsEqualCLSID(clsid, factory.Clsid())) return factory.QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (!length || length >= MAX_PATH) return SELFREG_E_CLASS;
    for (const auto& factory : g_factories) {
        UniqueRegKey key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (ClassKey(factory.Clsid()) + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, key.put(), nullptr) != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
        auto set = [&](const wchar_t* name, const wchar_t* value) {
            DWORD bytes = DWORD((std::wcslen(value) + 1) * sizeof(wchar_t));
            return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
        };
        if (!set(nullptr, path) || !set(L"ThreadingModel", L"Both")) return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT WINAPI DllUnregisterServer() {
    for (const auto& factory : g_factories) RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(factory.Clsid()).c_str());
    return S_OK;
}

} // extern "C"
