#include "engine/EngineRefusal.h"

#include "engine/Bstr.h"
#include "engine/RecordingEngine.h"
#include "support/ComPtr.h"

#include <cstdio>

namespace {

std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

} // namespace

std::string EngineErrorList(IUnknown* engine) {
    ComPtr<IRecordingEngine> main;
    LONG count = 0;
    if (!engine || FAILED(engine->QueryInterface(IID_IRecordingEngine, main.put_void())) || !main ||
        FAILED(main->GetErrorCount(&count))) {
        return std::string();
    }
    std::string list;
    for (LONG i = 0; i < count; ++i) {
        HRESULT code = S_OK;
        Bstr text;
        if (FAILED(main->GetError(i, &code, text.put()))) continue;
        list += (list.empty() ? "" : "\n") + Hex(code) + " " + text.Narrow();
    }
    return list;
}

std::string EngineRefusal() {
    ScopedComInit com;
    ComPtr<IUnknown> engine;
    HRESULT hr = CoCreateInstance(CLSID_RecordingEngine, nullptr, 0x17, IID_IUnknown, engine.put_void());
    if (FAILED(hr)) return "no recording engine is registered (" + Hex(hr) + ")";
    if (SUCCEEDED(hr = OleRun(engine.get()))) return std::string();
    const std::string errors = EngineErrorList(engine.get());
    return "the recording engine refused to start (" + Hex(hr) + ")" + (errors.empty() ? "" : ":\n" + errors);
}
