#include "lib/LangStrings/LanguageStore.h"

#include "inc/SharedMemory.h"

LanguageStore::LanguageStore(std::uint16_t language, std::string path, std::uint64_t fileSize,
                             std::unique_ptr<SharedMemory> memory)
    : language_(language), path_(std::move(path)), fileSize_(fileSize),
      mappingName_(memory->Name()), memory_(std::move(memory)), view_(memory_->View()),
      size_(memory_->Size()) {
    codePage_ = Reader().CodePage();
}

LanguageStore::LanguageStore(const unsigned char* view, std::size_t size, std::string path)
    : path_(std::move(path)), fileSize_(0), view_(view), size_(size) {
    language_ = Reader().Language();
    codePage_ = Reader().CodePage();
}

LanguageStore::~LanguageStore() = default;
