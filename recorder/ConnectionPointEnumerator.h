#pragma once
// ConnectionPointEnumerator: IEnumConnectionPoints over a fixed list of an object's
// connection points; holds references to them (and so to their owner). Any thread.
#include <ocidl.h>

#include <atomic>
#include <vector>

#include "support/ComPtr.h"

class ConnectionPointEnumerator final : public IEnumConnectionPoints {
public:
    static HRESULT Create(std::vector<ComPtr<IConnectionPoint>> points, IEnumConnectionPoints** out);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override;

private:
    explicit ConnectionPointEnumerator(std::vector<ComPtr<IConnectionPoint>> points);
    ~ConnectionPointEnumerator();

    std::atomic<ULONG> refs_{1};
    std::vector<ComPtr<IConnectionPoint>> points_;
    std::atomic<std::size_t> next_{0};
};
