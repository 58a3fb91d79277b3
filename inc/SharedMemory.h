#pragma once
// SharedMemory: a named, page-file-backed mapping shared between processes, guarded by a
// Mutex named after it (the system object is the name + "_mutex"). The object owns its
// mapping, view and Mutex and releases them when destroyed. Init creates the mapping, or
// opens it when another process made it first (Existed() then tells so). Lock and Unlock
// take the store's Mutex (recursive per thread). The native build keeps named segments
// inside the process, which is enough to test the code that uses them.
#include "support/ContextException.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class SharedMemory {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(name_in_use, base_exception);
    FENNEL_EXCEPTION(create_failure, base_exception);

    // Called on a new mapping's view, under the Mutex.
    using Initializer = std::function<void(unsigned char* view, std::size_t size)>;
    static constexpr std::uint32_t kAllAccess = 0x000F001F; // FILE_MAP_ALL_ACCESS

    SharedMemory(std::string name, std::size_t size);
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Creates or opens the mapping and maps it whole with access. Throws name_in_use when
    // the name belongs to another kind of object, create_failure otherwise.
    void Init(std::uint32_t access, const Initializer& initializer);

    static void ZeroFill(unsigned char* view, std::size_t size);

    bool Existed() const { return existed_; }
    unsigned char* View() const { return view_; }
    std::size_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

    void Lock();
    void Unlock();

private:
    struct Impl;

    bool existed_ = false;
    std::string name_;
    std::size_t size_;
    unsigned char* view_ = nullptr;
    std::unique_ptr<Impl> impl_;
};
