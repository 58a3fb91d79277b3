#include "app/AppModule.h"

void AppModule::Init(const ClassEntry* classTable, HINSTANCE instance) {
    classTable_ = classTable;
    instance_ = instance;
    mainThreadId_ = GetCurrentThreadId();
}

void AppModule::Term() {
    classTable_ = nullptr;
    FreeMessageLoops();
}

LONG AppModule::Lock() {
    activity_ = true;
    return ++lockCount_;
}

LONG AppModule::Unlock() {
    const LONG count = --lockCount_;
    activity_ = true;
    if (count == 0) {
        if (HANDLE event = shutdownEvent_.load()) SetEvent(event);
    }
    return count;
}

HRESULT AppModule::RegisterServer() {
    for (const ClassEntry* entry = classTable_; entry && entry->clsid; ++entry) {
        const HRESULT hr = entry->updateRegistry(TRUE);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT AppModule::UnregisterServer() {
    for (const ClassEntry* entry = classTable_; entry && entry->clsid; ++entry) {
        const HRESULT hr = entry->updateRegistry(FALSE);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool AppModule::StartMonitor() {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event) return false;
    shutdownEvent_ = event;
    HANDLE thread = CreateThread(nullptr, 0, &AppModule::MonitorProc, this, 0, nullptr);
    if (!thread) {
        CloseShutdownEvent();
        return false;
    }
    CloseHandle(thread);
    return true;
}

void AppModule::SignalActivity() {
    activity_ = true;
    if (HANDLE event = shutdownEvent_.load()) SetEvent(event);
}

void AppModule::CloseShutdownEvent() {
    if (HANDLE event = shutdownEvent_.exchange(nullptr)) CloseHandle(event);
}

DWORD WINAPI AppModule::MonitorProc(void* module) {
    static_cast<AppModule*>(module)->MonitorShutdown();
    return 0;
}

void AppModule::MonitorShutdown() {
    // The main thread may close the event at its end; the monitor then simply stops.
    HANDLE event = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), shutdownEvent_.load(), GetCurrentProcess(), &event, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return;
    }
    for (;;) {
        if (WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0) break;
        DWORD wait;
        do {
            activity_ = false;
            wait = WaitForSingleObject(event, idleTimeout);
        } while (wait == WAIT_OBJECT_0);
        if (wait != WAIT_TIMEOUT) break;
        if (!activity_.load() && lockCount_.load() == 0) {
            CloseShutdownEvent();
            PostThreadMessageA(mainThreadId_, WM_QUIT, 0, 0);
            break;
        }
    }
    CloseHandle(event);
}

HRESULT AppModule::RegisterClassObjects(DWORD context, DWORD flags) {
    for (DWORD i = 0; classTable_ && classTable_[i].clsid; ++i) {
        IUnknown* factory = nullptr;
        HRESULT hr = classTable_[i].getClassObject(*classTable_[i].clsid, IID_IUnknown,
                                                   reinterpret_cast<void**>(&factory));
        if (FAILED(hr)) return hr;
        DWORD cookie = 0;
        hr = CoRegisterClassObject(*classTable_[i].clsid, factory, context, flags, &cookie);
        factory->Release();
        if (FAILED(hr)) return hr;
        registrations_[i] = cookie;
    }
    return S_OK;
}

HRESULT AppModule::ResumeClassObjects() { return CoResumeClassObjects(); }

HRESULT AppModule::RevokeClassObjects() {
    HRESULT result = S_OK;
    for (const auto& [index, cookie] : registrations_) {
        const HRESULT hr = CoRevokeClassObject(cookie);
        if (FAILED(hr)) result = hr;
    }
    registrations_.clear();
    return result;
}

void AppModule::AddMessageLoop(MessageLoop* loop) {
    std::lock_guard<std::mutex> lock(loopsLock_);
    loops_[GetCurrentThreadId()] = loop;
}

void AppModule::RemoveMessageLoop() {
    std::lock_guard<std::mutex> lock(loopsLock_);
    loops_.erase(GetCurrentThreadId());
}

MessageLoop* AppModule::GetMessageLoop(DWORD threadId) const {
    std::lock_guard<std::mutex> lock(loopsLock_);
    const auto it = loops_.find(threadId);
    return it == loops_.end() ? nullptr : it->second;
}

void AppModule::FreeMessageLoops() {
    std::lock_guard<std::mutex> lock(loopsLock_);
    loops_.clear();
}
