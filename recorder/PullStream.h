#pragma once
// PullStream: a read-only, forward-only IStream of known length whose bytes a subclass makes
// on demand, for the recording API's writers that pull a track or a whole disc. Read never
// lets an exception out: the first failure ends the stream with E_FAIL and is kept for the
// recording to report (Failure). Reference counted; read by one thread at a time.
#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class PullStream : public IStream {
public:
    // What ended the stream early, once Read failed.
    struct Failure {
        std::int32_t code;
        std::string text;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    // Only the current position may be asked for or sought to (and the start before reading).
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

    std::optional<Failure> TakeFailure();

protected:
    explicit PullStream(std::uint64_t size) : size_(size) {}
    virtual ~PullStream() = default;
    // Fills size bytes (never more than the stream has left); throws a ContextException.
    virtual void Fill(std::uint8_t* output, std::size_t size) = 0;

private:
    std::atomic<ULONG> refs_{1};
    const std::uint64_t size_;
    std::atomic<std::uint64_t> position_{0};
    std::mutex failureMutex_;
    std::optional<Failure> failure_;
};
