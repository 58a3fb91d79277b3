#pragma once
// ComPtr<T>: holds one COM reference. ScopedComInit: one CoInitializeEx/CoUninitialize pair
// on the calling thread.
#include <objbase.h>

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {} // NOLINT(google-explicit-constructor): "no object"
    // Adds a reference of its own; Attach takes over one the caller owns.
    explicit ComPtr(T* p) noexcept : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) noexcept : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr Attach(T* p) noexcept { ComPtr c; c.p_ = p; return c; }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept { if (T* p = std::exchange(p_, nullptr)) p->Release(); }

    // For out-parameters: releases the current reference first.
    T** put() noexcept { reset(); return &p_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <class U>
    HRESULT As(ComPtr<U>& out) const noexcept {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }
    HRESULT As(REFIID iid, void** out) const noexcept {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out);
    }

private:
    T* p_ = nullptr;
};

class ScopedComInit {
public:
    explicit ScopedComInit(DWORD model = COINIT_MULTITHREADED) noexcept
        : hr_(CoInitializeEx(nullptr, model)) {}
    ~ScopedComInit() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    HRESULT Result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};
