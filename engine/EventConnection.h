#pragma once
// EventConnection: one sink advised on the connection point of one event interface of a
// COM object. Disconnect, or the destructor, unadvises and drops the references. Used on
// the thread that connects; never throws.
#include <objbase.h>
#include <ocidl.h>

#include "support/ComPtr.h"

class EventConnection {
public:
    EventConnection() = default;
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection() { Disconnect(); }

    // Advises sink on source's connection point for events; does nothing while connected.
    // A failed step leaves the connection closed and answers its code.
    HRESULT Connect(IUnknown* source, REFIID events, IUnknown* sink) noexcept {
        if (point_) return S_FALSE;
        if (!source || !sink) return E_POINTER;
        ComPtr<IConnectionPointContainer> container;
        HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.put_void());
        if (FAILED(hr)) return hr;
        ComPtr<IConnectionPoint> point;
        if (FAILED(hr = container->FindConnectionPoint(events, point.put()))) return hr;
        DWORD cookie = 0;
        if (FAILED(hr = point->Advise(sink, &cookie))) return hr;
        point_ = point;
        cookie_ = cookie;
        return S_OK;
    }

    void Disconnect() noexcept {
        if (ComPtr<IConnectionPoint> point = std::move(point_)) point->Unadvise(cookie_);
        point_.reset();
        cookie_ = 0;
    }

    bool Connected() const noexcept { return static_cast<bool>(point_); }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};
