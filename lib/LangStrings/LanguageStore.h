#pragma once
// LanguageStore: one language's filled shared string store, as the lookup context and its
// sections see it. Shared (reference-counted) by a LangSectionSet and its LangSections; it
// owns the SharedMemory when it made one. The store is never written after it was filled,
// so any thread may read it without locks.
#include "lib/LangStrings/StoreReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class SharedMemory;

class LanguageStore {
public:
    // A store in shared memory, filled by this or another process.
    LanguageStore(std::uint16_t language, std::string path, std::uint64_t fileSize,
                  std::unique_ptr<SharedMemory> memory);
    // A store in memory that the caller owns and keeps alive as long as this object.
    LanguageStore(const unsigned char* view, std::size_t size, std::string path = {});
    ~LanguageStore();
    LanguageStore(const LanguageStore&) = delete;
    LanguageStore& operator=(const LanguageStore&) = delete;

    std::uint16_t Language() const { return language_; }
    // The code page of the strings, read from the header when the store was opened.
    std::uint32_t CodePage() const { return codePage_; }
    const std::string& Path() const { return path_; }
    std::uint64_t FileSize() const { return fileSize_; }
    const std::string& MappingName() const { return mappingName_; }
    const SharedMemory* Memory() const { return memory_.get(); }

    StoreReader Reader() const { return StoreReader(view_, size_); }

private:
    std::uint16_t language_;
    std::uint32_t codePage_;
    std::string path_;
    std::uint64_t fileSize_;
    std::string mappingName_;
    std::unique_ptr<SharedMemory> memory_;
    const unsigned char* view_;
    std::size_t size_;
};
