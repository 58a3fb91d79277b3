#include "recorder/ConnectionPointEnumerator.h"

#include "recorder/ReturnEngineCodeOnThrow.h"
#include "recorder/RecorderModule.h"

ConnectionPointEnumerator::ConnectionPointEnumerator(std::vector<ComPtr<IConnectionPoint>> points)
    : points_(std::move(points)) {
    RecorderModule::ObjectCreated();
}

ConnectionPointEnumerator::~ConnectionPointEnumerator() { RecorderModule::ObjectDestroyed(); }

HRESULT ConnectionPointEnumerator::Create(std::vector<ComPtr<IConnectionPoint>> points, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = new ConnectionPointEnumerator(std::move(points));
    return S_OK;
}

HRESULT ConnectionPointEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
        *out = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG ConnectionPointEnumerator::AddRef() { return ++refs_; }

ULONG ConnectionPointEnumerator::Release() {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

HRESULT ConnectionPointEnumerator::Next(ULONG count, IConnectionPoint** points, ULONG* fetched) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        if (!points || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        while (done < count) {
            std::size_t index = next_++;
            if (index >= points_.size()) {
                next_ = points_.size();
                break;
            }
            points[done] = points_[index].get();
            points[done]->AddRef();
            ++done;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    });
}

HRESULT ConnectionPointEnumerator::Skip(ULONG count) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        std::size_t target = next_ + count;
        next_ = target < points_.size() ? target : points_.size();
        return target <= points_.size() ? S_OK : S_FALSE;
    });
}

HRESULT ConnectionPointEnumerator::Reset() {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        next_ = 0;
        return S_OK;
    });
}

HRESULT ConnectionPointEnumerator::Clone(IEnumConnectionPoints** copy) {
    return ReturnEngineCodeOnThrow([&]() -> HRESULT {
        HRESULT hr = Create(points_, copy);
        if (SUCCEEDED(hr)) static_cast<ConnectionPointEnumerator*>(*copy)->next_ = next_.load();
        return hr;
    });
}
