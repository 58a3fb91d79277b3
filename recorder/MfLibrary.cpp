#include "recorder/MfLibrary.h"

#include <string>

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"
#include "recorder/WinText.h"
#include "support/UniqueHandle.h"

namespace {

// The system's DLL name, pinned: it stays loaded until the process ends, so no handle needs closing.
HMODULE Pinned(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const UniqueModule loaded(LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str()));
    if (!loaded) return nullptr;
    HMODULE pinned = nullptr; // the pin holds it once this load's reference is gone
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, name, &pinned);
    return pinned;
}

template <class Function>
bool Find(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    return function != nullptr;
}

} // namespace

MfLibrary MfLibrary::Load() {
    MfLibrary library;
    HMODULE platform = Pinned(L"mfplat.dll");
    if (!platform) {
        library.missing_ = "mfplat.dll";
        library.error_ = GetLastError();
        return library;
    }
    HMODULE readWrite = Pinned(L"mfreadwrite.dll");
    if (!readWrite) {
        library.missing_ = "mfreadwrite.dll";
        library.error_ = GetLastError();
        return library;
    }
    const struct {
        bool found;
        const char* name;
    } functions[] = {{Find(platform, "MFStartup", library.startup), "MFStartup"},
                     {Find(platform, "MFShutdown", library.shutdown), "MFShutdown"},
                     {Find(platform, "MFCreateMediaType", library.createMediaType), "MFCreateMediaType"},
                     {Find(platform, "MFCreateSample", library.createSample), "MFCreateSample"},
                     {Find(platform, "MFCreateMemoryBuffer", library.createMemoryBuffer), "MFCreateMemoryBuffer"},
                     {Find(readWrite, "MFCreateSourceReaderFromURL", library.createSourceReaderFromUrl),
                      "MFCreateSourceReaderFromURL"}};
    for (const auto& f : functions)
        if (!f.found) {
            library.missing_ = f.name;
            library.error_ = ERROR_PROC_NOT_FOUND;
            break;
        }
    return library;
}

const MfLibrary& MfLibrary::Get() {
    static const MfLibrary library = Load();
    if (library.missing_)
        RECORDER_FAIL(RECORDING_E_UNREADABLE_FILE_TYPE, "MfLibrary::Get()",
                      ("Media Foundation is missing: " + std::string(library.missing_) + ": " +
                       WinText::SystemMessage(library.error_))
                          .c_str());
    return library;
}
