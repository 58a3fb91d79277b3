#pragma once
// ConnectionPoint<Sink>: one outgoing interface of a COM object through the standard
// connection point protocol. Lives inside its owner and shares the owner's reference count.
// Sinks are kept (AddRef) until Unadvise or Clear; Sinks() hands out a snapshot so that
// events are raised without any lock held. Any thread.
#include <ocidl.h>
#include <olectl.h>

#include <mutex>
#include <utility>
#include <vector>

#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/ConnectionPointEnumerator.h"
#include "support/ComPtr.h"

template <class Sink>
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container) : owner_(owner), container_(container) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
            *out = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = __uuidof(Sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) return E_POINTER;
        *container = &container_;
        container_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        return ReturnEngineCodeOnThrow([&]() -> HRESULT {
            if (!sink || !cookie) return E_POINTER;
            *cookie = 0;
            ComPtr<Sink> typed;
            if (FAILED(sink->QueryInterface(__uuidof(Sink), typed.put_void())) || !typed) return CONNECT_E_CANNOTCONNECT;
            std::lock_guard lock(mutex_);
            sinks_.emplace_back(lastCookie_ + 1, std::move(typed));
            *cookie = ++lastCookie_; // only once the sink is kept
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return ReturnEngineCodeOnThrow([&]() -> HRESULT {
            ComPtr<Sink> released; // let go after the lock
            std::lock_guard lock(mutex_);
            for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
                if (it->first == cookie) {
                    released = std::move(it->second);
                    sinks_.erase(it);
                    return S_OK;
                }
            return CONNECT_E_NOCONNECTION;
        });
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        if (connections) *connections = nullptr;
        return E_NOTIMPL;
    }

    // IConnectionPointContainer of an owner whose only connection point this is.
    HRESULT FindAsOnlyPoint(REFIID iid, IConnectionPoint** point) {
        if (!point) return E_POINTER;
        if (!IsEqualIID(iid, __uuidof(Sink))) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = this;
        AddRef();
        return S_OK;
    }
    HRESULT EnumerateAsOnlyPoint(IEnumConnectionPoints** points) {
        return ReturnEngineCodeOnThrow([&]() -> HRESULT { return ConnectionPointEnumerator::Create({ComPtr<IConnectionPoint>(this)}, points); });
    }

    std::vector<ComPtr<Sink>> Sinks() const {
        std::lock_guard lock(mutex_);
        std::vector<ComPtr<Sink>> sinks;
        for (const auto& entry : sinks_) sinks.push_back(entry.second);
        return sinks;
    }
    void Clear() {
        std::vector<std::pair<DWORD, ComPtr<Sink>>> released;
        std::lock_guard lock(mutex_);
        released.swap(sinks_);
    }

private:
    IUnknown& owner_;
    IConnectionPointContainer& container_;
    mutable std::mutex mutex_;
    DWORD lastCookie_ = 0;
    std::vector<std::pair<DWORD, ComPtr<Sink>>> sinks_;
};
