// The shared mapping through Win32: a page-file-backed file mapping and a named Mutex.
#include "inc/SharedMemory.h"

#include "inc/Mutex_Win32Impl.h"
#include "support/FormatApiError.h"
#include "support/GetOpenSecurityAttributes.h"
#include "support/UniqueHandle.h"

#include <cstring>

struct SharedMemory::Impl {
    explicit Impl(const std::string& name) : mutex(name) {}

    Mutex mutex;
    UniqueKernelHandle mapping;
    UniqueMapView view;
};

SharedMemory::SharedMemory(std::string name, std::size_t size)
    : name_(std::move(name)), size_(size), impl_(std::make_unique<Impl>(name_)) {}

SharedMemory::~SharedMemory() = default;

void SharedMemory::Init(std::uint32_t access, const Initializer& initializer) {
    impl_->view.reset();
    impl_->mapping.reset();
    view_ = nullptr;
    const std::uint64_t size = size_;
    impl_->mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, GetOpenSecurityAttributes(),
                                            PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                            static_cast<DWORD>(size), name_.c_str()));
    const DWORD error = GetLastError();
    if (!impl_->mapping) {
        if (error == ERROR_INVALID_HANDLE) {
            FENNEL_THROW(name_in_use, "SharedMemory::Init()",
                         ("The name '" + name_ +
                          "' is already in use for an object which is not a shared memory.")
                             .c_str());
        }
        FENNEL_THROW(create_failure, "SharedMemory::Init()",
                     FormatApiError("CreateFileMapping", error).c_str());
    }
    existed_ = error == ERROR_ALREADY_EXISTS;
    impl_->view.reset(MapViewOfFile(impl_->mapping.get(), access, 0, 0, 0));
    if (!impl_->view) {
        FENNEL_THROW(create_failure, "SharedMemory::Init()",
                     FormatApiError("MapViewOfFile", GetLastError()).c_str());
    }
    view_ = static_cast<unsigned char*>(impl_->view.get());
    if (existed_) {
        // Another process chose the size: read only what its view holds.
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(view_, &region, sizeof region) == 0) {
            FENNEL_THROW(create_failure, "SharedMemory::Init()",
                         FormatApiError("VirtualQuery", GetLastError()).c_str());
        }
        size_ = region.RegionSize;
    } else if (initializer) {
        MutexLock lock(impl_->mutex);
        initializer(view_, size_);
    }
}

void SharedMemory::ZeroFill(unsigned char* view, std::size_t size) { std::memset(view, 0, size); }

void SharedMemory::Lock() { impl_->mutex.Lock(); }
void SharedMemory::Unlock() { impl_->mutex.Unlock(); }
