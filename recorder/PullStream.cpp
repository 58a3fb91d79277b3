#include "recorder/PullStream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "engine/RecordingEngineTypes.h"
#include "recorder/EngineFailure.h"

HRESULT PullStream::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
        *out = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG PullStream::AddRef() { return ++refs_; }

ULONG PullStream::Release() {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

HRESULT PullStream::Read(void* buffer, ULONG size, ULONG* read) {
    if (read) *read = 0;
    if (!buffer && size) return STG_E_INVALIDPOINTER;
    {
        std::lock_guard lock(failureMutex_);
        if (failure_) return E_FAIL;
    }
    std::uint64_t position = position_;
    ULONG count = static_cast<ULONG>(std::min<std::uint64_t>(size, size_ - position));
    try {
        Fill(static_cast<std::uint8_t*>(buffer), count);
    } catch (const EngineFailure& e) {
        std::lock_guard lock(failureMutex_);
        failure_ = Failure{e.Code(), e.Context()};
        return E_FAIL;
    } catch (const ContextException& e) {
        std::lock_guard lock(failureMutex_);
        failure_ = Failure{RECORDING_E_AUDIO_READ, e.Context()};
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    position_ = position + count;
    if (read) *read = count;
    return count == size ? S_OK : S_FALSE;
}

HRESULT PullStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
    std::int64_t target;
    switch (origin) {
    case STREAM_SEEK_SET: target = move.QuadPart; break;
    case STREAM_SEEK_CUR: target = static_cast<std::int64_t>(position_) + move.QuadPart; break;
    case STREAM_SEEK_END: target = static_cast<std::int64_t>(size_) + move.QuadPart; break;
    default: return STG_E_INVALIDFUNCTION;
    }
    if (target != static_cast<std::int64_t>(position_.load())) return STG_E_INVALIDFUNCTION;
    if (position) position->QuadPart = position_;
    return S_OK;
}

HRESULT PullStream::Stat(STATSTG* stat, DWORD) {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = {};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    stat->grfMode = STGM_READ;
    return S_OK;
}

std::optional<PullStream::Failure> PullStream::TakeFailure() {
    std::lock_guard lock(failureMutex_);
    return std::exchange(failure_, std::nullopt);
}
