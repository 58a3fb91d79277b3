#include "app/AppModule.h"

#include "support/ComPtr.h"

AppModule::~AppModule() { StopMonitor(); }

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
    if (count == 0) SignalShutdownEvent();
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
    UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event) return false;
    {
        std::lock_guard<std::mutex> lock(eventLock_);
        shutdownEvent_ = std::move(event);
    }
    stopping_ = false;
    monitorThread_.reset(CreateThread(nullptr, 0, &AppModule::MonitorProc, this, 0, nullptr));
    if (!monitorThread_) {
        StopMonitor();
        return false;
    }
    return true;
}

void AppModule::SignalActivity() {
    activity_ = true;
    SignalShutdownEvent();
}

void AppModule::SignalShutdownEvent() {
    std::lock_guard<std::mutex> lock(eventLock_);
    if (shutdownEvent_) SetEvent(shutdownEvent_.get());
}

void AppModule::StopMonitor() {
    if (monitorThread_) {
        stopping_ = true;
        SignalShutdownEvent();
        WaitForSingleObject(monitorThread_.get(), INFINITE);
        monitorThread_.reset();
    }
    std::lock_guard<std::mutex> lock(eventLock_);
    shutdownEvent_.reset();
}

DWORD WINAPI AppModule::MonitorProc(void* module) {
    static_cast<AppModule*>(module)->MonitorShutdown();
    return 0;
}

void AppModule::MonitorShutdown() {
    // The event stays open until StopMonitor has waited for this thread.
    const HANDLE event = shutdownEvent_.get();
    while (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 && !stopping_.load()) {
        DWORD wait;
        do {
            activity_ = false;
            wait = WaitForSingleObject(event, idleTimeout);
        } while (wait == WAIT_OBJECT_0 && !stopping_.load());
        if (wait != WAIT_TIMEOUT) return;
        if (!activity_.load() && lockCount_.load() == 0 && !stopping_.load()) {
            PostThreadMessageA(mainThreadId_, WM_QUIT, 0, 0);
            return;
        }
    }
}

HRESULT AppModule::RegisterClassObjects(DWORD context, DWORD flags) {
    for (DWORD i = 0; classTable_ && classTable_[i].clsid; ++i) {
        ComPtr<IUnknown> factory;
        HRESULT hr = classTable_[i].getClassObject(*classTable_[i].clsid, IID_IUnknown, factory.put_void());
        if (FAILED(hr)) return hr;
        DWORD cookie = 0;
        hr = CoRegisterClassObject(*classTable_[i].clsid, factory.get(), context, flags, &cookie);
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
