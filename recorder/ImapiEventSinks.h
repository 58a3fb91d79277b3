#pragma once
// Sinks for the progress events of the recording API's writers. A writer may call a sink
// through its event interface's Update or, as dispatch interfaces are usually called, through
// IDispatch::Invoke with the Update dispatch id; both reach the same handler. The handler runs
// on the writer's calling thread and must not throw. Reference counted; the creator holds one.
#include <atomic>
#include <functional>

#include "recorder/Imapi2.h"
#include "support/ComPtr.h"

namespace imapi_sinks {

// Answers IUnknown, IDispatch and the event interface; the dispatch members other than
// Invoke are not needed by any caller.
template <class Events>
class SinkBase : public Events {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Events)) {
            *out = static_cast<Events*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

protected:
    virtual ~SinkBase() = default;
    // Argument i of an Invoke, counted from the first declared (DISPPARAMS holds them reversed).
    static const VARIANT* Argument(const DISPPARAMS* params, UINT i, UINT count) {
        return params && params->cArgs == count && params->rgvarg ? &params->rgvarg[count - 1 - i] : nullptr;
    }

private:
    std::atomic<ULONG> refs_{1};
};

// The track-at-once and raw writers: Update(object, progress record).
template <class Events>
class WriteProgressSink final : public SinkBase<Events> {
public:
    using Handler = std::function<void(IDispatch* progress)>;
    static ComPtr<WriteProgressSink> Create(Handler handler) {
        return ComPtr<WriteProgressSink>::Attach(new WriteProgressSink(std::move(handler)));
    }

    HRESULT STDMETHODCALLTYPE Update(IDispatch*, IDispatch* progress) override {
        handler_(progress);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != DISPID_IMAPI_EVENTS_UPDATE) return DISP_E_MEMBERNOTFOUND;
        const VARIANT* progress = this->Argument(params, 1, 2);
        if (!progress) return DISP_E_BADPARAMCOUNT;
        handler_(V_VT(progress) == VT_DISPATCH ? V_DISPATCH(progress) : nullptr);
        return S_OK;
    }

private:
    explicit WriteProgressSink(Handler handler) : handler_(std::move(handler)) {}
    Handler handler_;
};

// The erase writer: Update(object, elapsed seconds, estimated total seconds).
class EraseProgressSink final : public SinkBase<DDiscFormat2EraseEvents> {
public:
    using Handler = std::function<void(LONG elapsed, LONG total)>;
    static ComPtr<EraseProgressSink> Create(Handler handler) {
        return ComPtr<EraseProgressSink>::Attach(new EraseProgressSink(std::move(handler)));
    }

    HRESULT STDMETHODCALLTYPE Update(IDispatch*, LONG elapsed, LONG total) override {
        handler_(elapsed, total);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != DISPID_IMAPI_EVENTS_UPDATE) return DISP_E_MEMBERNOTFOUND;
        LONG values[2] = {};
        for (UINT i = 0; i < 2; ++i) {
            const VARIANT* arg = this->Argument(params, i + 1, 3);
            if (!arg) return DISP_E_BADPARAMCOUNT;
            VARIANT copy;
            VariantInit(&copy);
            if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(arg), 0, VT_I4))) return DISP_E_TYPEMISMATCH;
            values[i] = V_I4(&copy);
        }
        handler_(values[0], values[1]);
        return S_OK;
    }

private:
    explicit EraseProgressSink(Handler handler) : handler_(std::move(handler)) {}
    Handler handler_;
};

} // namespace imapi_sinks
