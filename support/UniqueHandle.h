#pragma once
// UniqueHandle<Traits>: move-only owner of one Win32 handle. Traits give the empty value
// and the close function; reset() keeps the thread's last-error value, so a failing call
// can be followed by cleanup before GetLastError() is read.
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept : value_(Traits::Invalid()) {}
    explicit UniqueHandle(pointer value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    void reset(pointer value = Traits::Invalid()) noexcept {
        if (value_ != Traits::Invalid()) {
            DWORD error = GetLastError();
            Traits::Close(value_);
            SetLastError(error);
        }
        value_ = value;
    }

    // For out-parameters of system calls: closes the current value first.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_;
};

namespace handle_traits {
struct Handle { // kernel objects whose empty value is null: threads, events, mutexes, mappings
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { CloseHandle(h); }
};
struct File { // CreateFile results, whose empty value is INVALID_HANDLE_VALUE
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(pointer h) noexcept { CloseHandle(h); }
};
struct RegKey {
    using pointer = HKEY;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { RegCloseKey(h); }
};
struct Module {
    using pointer = HMODULE;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { FreeLibrary(h); }
};
struct MapView {
    using pointer = void*;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer p) noexcept { UnmapViewOfFile(p); }
};
struct LocalMemory { // buffers the system allocates for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER)
    using pointer = HLOCAL;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer p) noexcept { LocalFree(p); }
};
struct FindHandle {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(pointer h) noexcept { FindClose(h); }
};
template <class T>
struct GdiObject { // fonts, bitmaps, brushes, pens (the user links gdi32)
    using pointer = T;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { DeleteObject(h); }
};
struct Icon { // icons loaded without LR_SHARED
    using pointer = HICON;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { DestroyIcon(h); }
};
struct Window { // windows the owner creates and destroys on its own thread
    using pointer = HWND;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { DestroyWindow(h); }
};
struct Menu { // menus not attached to a window
    using pointer = HMENU;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { DestroyMenu(h); }
};
} // namespace handle_traits

using UniqueKernelHandle = UniqueHandle<handle_traits::Handle>;
using UniqueFile = UniqueHandle<handle_traits::File>;
using UniqueRegKey = UniqueHandle<handle_traits::RegKey>;
using UniqueModule = UniqueHandle<handle_traits::Module>;
using UniqueMapView = UniqueHandle<handle_traits::MapView>;
using UniqueLocalMemory = UniqueHandle<handle_traits::LocalMemory>;
using UniqueFindHandle = UniqueHandle<handle_traits::FindHandle>;
using UniqueFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueIcon = UniqueHandle<handle_traits::Icon>;
using UniqueWindow = UniqueHandle<handle_traits::Window>;
using UniqueMenu = UniqueHandle<handle_traits::Menu>;

// UniqueDC: a window's device context from GetDC, given back to the same window with
// ReleaseDC. Move-only; keeps the thread's last-error value like UniqueHandle.
class UniqueDC {
public:
    UniqueDC() noexcept = default;
    explicit UniqueDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    UniqueDC(UniqueDC&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    UniqueDC& operator=(UniqueDC&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    UniqueDC(const UniqueDC&) = delete;
    UniqueDC& operator=(const UniqueDC&) = delete;
    ~UniqueDC() { reset(); }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

    void reset() noexcept {
        if (dc_) {
            DWORD error = GetLastError();
            ReleaseDC(window_, dc_);
            SetLastError(error);
        }
        window_ = nullptr;
        dc_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};
