#pragma once
// ResourceCache: the language versions of the program's resources, keyed by the resource
// handle that FindResourceEx gives. A dialog, menu, string-table, accelerator or dialog
// initialisation resource is translated once, when it is first found; the entry then holds
// the translated copy, or nothing when the resource needed no translation. A failed
// translation leaves no entry, so the next search tries again. Entries live until the
// process ends. One lock guards the map and is held across a translation, so a resource
// is translated once even when two threads find it together.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class ResourceCache {
public:
    struct Entry {
        std::vector<std::uint8_t> copy;
        bool hasCopy = false;
    };

    // The process's cache; never destroyed, so threads still running at exit may use it.
    static ResourceCache& Instance();

    // Translates the resource when its type asks for it and it has no entry yet.
    void Examine(HMODULE module, HRSRC resource, const void* type);
    // The entry of a handle, or null.
    std::shared_ptr<const Entry> Find(HRSRC resource) const;

private:
    ResourceCache() = default;

    mutable std::mutex lock_;
    std::map<HRSRC, std::shared_ptr<const Entry>> entries_;
};

// A resource's bytes as the wedge hands them out: the translated copy or the module's own.
struct FoundResource {
    const void* data = nullptr;
    std::size_t size = 0;
};
