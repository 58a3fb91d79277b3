#include "support/DebugTrace.h"

#include "support/UniqueHandle.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// One serial port, opened on the first write that finds it closed.
class SerialPortSink {
public:
    explicit SerialPortSink(const char* name) : name_(name) { InitializeCriticalSection(&lock_); }
    ~SerialPortSink() { DeleteCriticalSection(&lock_); }
    SerialPortSink(const SerialPortSink&) = delete;
    SerialPortSink& operator=(const SerialPortSink&) = delete;

    void Write(const char* text) {
        EnterCriticalSection(&lock_);
        if (!port_) Open();
        if (port_) {
            DWORD written = 0;
            for (const char* p = text; *p; ++p) {
                if (*p == '\n') WriteFile(port_.get(), "\r", 1, &written, nullptr);
                WriteFile(port_.get(), p, 1, &written, nullptr);
            }
        }
        LeaveCriticalSection(&lock_);
    }

private:
    void Open() {
        port_.reset(CreateFileA(name_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!port_) return;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        bool ok = GetCommState(port_.get(), &dcb) != FALSE;
        if (ok) {
            dcb.BaudRate = CBR_19200;
            dcb.ByteSize = 8;
            dcb.Parity = NOPARITY;
            dcb.StopBits = ONESTOPBIT;
            ok = SetCommState(port_.get(), &dcb) != FALSE;
        }
        if (!ok) port_.reset();
    }

    const char* name_;
    UniqueFile port_;
    CRITICAL_SECTION lock_;
};

SerialPortSink& SerialPort(int index) {
    static SerialPortSink ports[4] = {SerialPortSink("COM1"), SerialPortSink("COM2"), SerialPortSink("COM3"),
                                      SerialPortSink("COM4")};
    return ports[index];
}

std::ofstream& TraceFile() {
    static std::ofstream file = [] {
        char path[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string name = (n > 0 && n < MAX_PATH) ? std::string(path, n) : std::string("fennel");
        return std::ofstream(name + ".trace", std::ios::out | std::ios::app);
    }();
    return file;
}

void Send(int mode, const char* text) {
    switch (mode) {
    case 1:
        OutputDebugStringA(text);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        SerialPort(mode - 2).Write(text);
        break;
    case 6: {
        std::ofstream& file = TraceFile();
        file << text;
        if (!file.flush()) file.setstate(std::ios::badbit);
        break;
    }
    case 7:
        std::cout << text;
        break;
    case 8:
        std::clog << text;
        break;
    default:
        break;
    }
}

void TraceV(int mode, const char* format, va_list args) {
    if (mode == 0) return;
    char buffer[256];
    std::vsnprintf(buffer, sizeof buffer, format, args); // at most 255 characters and a zero
    buffer[255] = '\0';
    Send(mode, buffer);
}

} // namespace

void DebugTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        TraceV(kDebugTraceMode, format, args);
    } catch (...) {
    }
    va_end(args);
}

void DebugTraceTo(int mode, const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        TraceV(mode, format, args);
    } catch (...) {
    }
    va_end(args);
}
