#include "recorder/RecorderModule.h"

#include <atomic>

#include "engine/RecordingEngine.h"
#include "recorder/WinText.h"
#include "support/UniqueHandle.h"

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::atomic<long> g_threads{0};

std::wstring ClassKeyPath() {
    wchar_t clsid[64] = {};
    StringFromGUID2(CLSID_RecordingEngine, clsid, 64);
    return std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

void RecorderModule::SetHandle(HMODULE module) { g_module = module; }

std::wstring RecorderModule::Path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring RecorderModule::Folder() { return WinText::FolderOf(Path()); }

void RecorderModule::ObjectCreated() { ++g_objects; }
void RecorderModule::ObjectDestroyed() { --g_objects; }
void RecorderModule::LockServer(bool lock) { lock ? ++g_locks : --g_locks; }
void RecorderModule::ThreadStarted() { ++g_threads; }
void RecorderModule::ThreadEnded() { --g_threads; }
bool RecorderModule::CanUnload() { return g_objects == 0 && g_locks == 0 && g_threads == 0; }

HMODULE RecorderModule::Pin() {
    HMODULE pinned = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<const void*>(&RecorderModule::Pin)), &pinned))
        return nullptr;
    return pinned;
}

HRESULT RecorderModule::Register() {
    std::wstring path = Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    UniqueRegKey classKey, serverKey;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClassKeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                     classKey.put(), nullptr);
    if (status == ERROR_SUCCESS) status = SetText(classKey.get(), nullptr, L"Recording engine with virtual drives");
    if (status == ERROR_SUCCESS)
        status = RegCreateKeyExW(classKey.get(), L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, serverKey.put(), nullptr);
    if (status == ERROR_SUCCESS) status = SetText(serverKey.get(), nullptr, path);
    if (status == ERROR_SUCCESS) status = SetText(serverKey.get(), L"ThreadingModel", L"Both");
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT RecorderModule::Unregister() {
    LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKeyPath().c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}
