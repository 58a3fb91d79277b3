#pragma once
// AppModule: the process's COM server module. Holds the class table (empty in this
// program), the lock count of the objects the process serves, the shutdown event with its
// monitor thread that ends an idle server, and the registry of message loops by thread.
// One static instance; set up and torn down on the main thread, Lock/Unlock from any thread.
// The event lives until StopMonitor has joined the monitor; other threads signal it under eventLock_.
#include "app/MessageLoop.h"
#include "support/UniqueHandle.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <map>
#include <mutex>

// One creatable class of the server.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**);
    HRESULT(WINAPI* updateRegistry)(BOOL registering);
};

class AppModule {
public:
    AppModule() = default;
    ~AppModule();
    AppModule(const AppModule&) = delete;
    AppModule& operator=(const AppModule&) = delete;

    // Settings made before Init.
    DWORD idleTimeout = 5000;
    DWORD exitPause = 1000;

    // Records the class table (terminated by an entry with a null clsid; null for none),
    // the module handle and the calling thread as the main thread.
    void Init(const ClassEntry* classTable, HINSTANCE instance);
    void Term();

    HINSTANCE Instance() const { return instance_; }
    DWORD MainThreadId() const { return mainThreadId_; }

    // Lock count of the hosted objects; reaching zero signals the shutdown event.
    LONG Lock();
    LONG Unlock();
    LONG LockCount() const { return lockCount_.load(); }

    // Register or unregister every class of the table (no type library). Answers the status.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // Creates the shutdown event and starts the monitor thread; false when either could not
    // be created (the process then runs without them). Main thread, once.
    bool StartMonitor();
    // Marks activity and signals the shutdown event, so the monitor starts counting the idle
    // time from now.
    void SignalActivity();
    // Ends the monitor thread, waits for it and closes the event; later signals do nothing.
    void StopMonitor();

    HRESULT RegisterClassObjects(DWORD context, DWORD flags);
    HRESULT ResumeClassObjects();
    HRESULT RevokeClassObjects();

    // The message loop running on a thread, registered while it runs.
    void AddMessageLoop(MessageLoop* loop);
    void RemoveMessageLoop();
    MessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId()) const;
    void FreeMessageLoops();

private:
    static DWORD WINAPI MonitorProc(void* module);
    void MonitorShutdown();
    void SignalShutdownEvent();

    const ClassEntry* classTable_ = nullptr;
    HINSTANCE instance_ = nullptr;
    DWORD mainThreadId_ = 0;
    std::atomic<LONG> lockCount_{0};
    std::atomic<bool> activity_{false}; // set by Lock/Unlock, cleared by the monitor thread
    std::atomic<bool> stopping_{false}; // set by StopMonitor, read by the monitor thread
    std::mutex eventLock_;              // guards shutdownEvent_ against StopMonitor's close
    UniqueKernelHandle shutdownEvent_;
    UniqueKernelHandle monitorThread_;
    std::map<DWORD, DWORD> registrations_; // class object registration cookies by table index
    mutable std::mutex loopsLock_;
    std::map<DWORD, MessageLoop*> loops_;
};
