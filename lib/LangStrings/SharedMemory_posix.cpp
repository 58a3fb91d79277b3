// Native stand-in of the shared mapping: named segments live in this process's memory and
// are shared by every SharedMemory of the same name while one of them exists.
#include "inc/SharedMemory.h"

#include <map>
#include <mutex>
#include <vector>

namespace {

struct Segment {
    std::vector<unsigned char> bytes;
    std::recursive_mutex mutex; // the segment's "_mutex"
};

struct Registry {
    std::mutex lock;
    std::map<std::string, std::weak_ptr<Segment>> segments;
    std::map<std::string, std::weak_ptr<std::recursive_mutex>> mutexes;
};

Registry& Segments() {
    static Registry registry;
    return registry;
}

} // namespace

struct SharedMemory::Impl {
    std::shared_ptr<std::recursive_mutex> mutex;
    std::shared_ptr<Segment> segment;
};

SharedMemory::SharedMemory(std::string name, std::size_t size)
    : name_(std::move(name)), size_(size), impl_(std::make_unique<Impl>()) {
    Registry& registry = Segments();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::weak_ptr<std::recursive_mutex>& slot = registry.mutexes[name_];
    impl_->mutex = slot.lock();
    if (!impl_->mutex) {
        impl_->mutex = std::make_shared<std::recursive_mutex>();
        slot = impl_->mutex;
    }
}

SharedMemory::~SharedMemory() = default;

void SharedMemory::Init(std::uint32_t, const Initializer& initializer) {
    {
        Registry& registry = Segments();
        std::lock_guard<std::mutex> guard(registry.lock);
        impl_->segment.reset();
        std::weak_ptr<Segment>& slot = registry.segments[name_];
        impl_->segment = slot.lock();
        existed_ = impl_->segment != nullptr;
        if (!existed_) {
            impl_->segment = std::make_shared<Segment>();
            impl_->segment->bytes.assign(size_, 0xCD); // not zeroed: the initialiser must be
            slot = impl_->segment;
        }
    }
    size_ = impl_->segment->bytes.size();
    view_ = impl_->segment->bytes.data();
    if (!existed_ && initializer) {
        Lock();
        initializer(view_, size_);
        Unlock();
    }
}

void SharedMemory::ZeroFill(unsigned char* view, std::size_t size) {
    std::fill(view, view + size, static_cast<unsigned char>(0));
}

void SharedMemory::Lock() { impl_->mutex->lock(); }
void SharedMemory::Unlock() { impl_->mutex->unlock(); }
