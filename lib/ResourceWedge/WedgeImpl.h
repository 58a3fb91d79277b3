#pragma once
// WedgeImpl: the process-wide state of the resource wedge, g_WedgeImpl. The language
// start-up fills it (language, code pages, lookup context) and marks it initialised; the
// wedge's replacements read it from any thread. Each value sits in a cell with its own
// lock, except the code pages, which the language library keeps (ActiveLanguage) and this
// state answers from there. After the destructor has run (process exit) every operation
// answers its empty value, and the first such call shows one fatal message.
#include "lib/LangStrings/LangFile/ResourceTranslation.h"
#include "lib/LangStrings/LangSectionSet.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A value guarded by its own recursive lock.
template <class T>
class GuardedCell {
public:
    explicit GuardedCell(T value = T()) : value_(std::move(value)) {}
    T Get() const {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        return value_;
    }
    void Set(T value) {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        value_ = std::move(value);
    }
    T Exchange(T value) {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        std::swap(value_, value);
        return value;
    }
    std::recursive_mutex& Mutex() const { return lock_; }

private:
    mutable std::recursive_mutex lock_;
    T value_;
};

class WedgeImpl {
public:
    WedgeImpl();
    ~WedgeImpl();
    WedgeImpl(const WedgeImpl&) = delete;
    WedgeImpl& operator=(const WedgeImpl&) = delete;

    // Holds every cell's lock (in one fixed order) for the life of the object, so that the
    // start-up's values become visible together.
    class AllLocks {
    public:
        explicit AllLocks(WedgeImpl& wedge);
        ~AllLocks();
        AllLocks(const AllLocks&) = delete;
        AllLocks& operator=(const AllLocks&) = delete;

    private:
        std::vector<std::recursive_mutex*> held_;
    };

    // True when the start-up has marked the state initialised and a lookup context exists.
    bool Initialized() const;
    std::uint16_t LanguageId() const;
    std::uint16_t UserLanguage() const;
    std::uint32_t LanguageCodePage() const;
    std::uint32_t FallbackCodePage() const;
    // The code page for conversions to single-byte text: the language's when the system
    // can use it, else the fallback.
    std::uint32_t ConversionCodePage() const;
    std::shared_ptr<LangSectionSet> LookupContext() const;
    // The lookup context's cell lock (the wedge's message box runs under it).
    std::unique_lock<std::recursive_mutex> LockLookupContext() const;

    void SetInitialized(bool initialized);
    void SetLanguageId(std::uint16_t language);
    void SetUserLanguage(std::uint16_t language);
    void SetLanguageCodePage(std::uint32_t codePage);
    void SetFallbackCodePage(std::uint32_t codePage);
    void SetLookupContext(std::shared_ptr<LangSectionSet> context);

    // The accelerator table last made by the wedge, owned here. Setting a new one destroys
    // the one held before.
    void* AcceleratorTable() const;
    void SetAcceleratorTable(void* table);

    // The language text of a key (a copy), or nothing without a lookup context.
    std::optional<std::string> Lookup(std::string_view key) const;
    // Every '{KEY}' replaced through the lookup context; the text unchanged without one.
    std::string TranslateText(std::string_view text, bool* changed = nullptr) const;

    // Translations of an accelerator table and of dialog initialisation data through the
    // lookup context; kNotActive when the store or the state is not initialised.
    ResourceTranslation TranslateAcceleratorTable(const void* data, std::size_t size,
                                                  std::vector<unsigned char>& table) const;
    ResourceTranslation TranslateDialogInitData(const void* data, std::size_t size,
                                                std::vector<unsigned char>& result) const;

    // Empties every value (tests use it to start from a fresh state).
    void Reset();

private:
    // True after the destructor; shows the fatal message on the first call that finds it.
    bool Destroyed() const;

    std::atomic<bool> destroyed_{false};
    GuardedCell<bool> initialized_{false};
    GuardedCell<std::uint16_t> languageId_{0};
    GuardedCell<std::uint16_t> userLanguage_{0};
    GuardedCell<std::shared_ptr<LangSectionSet>> lookupContext_;
    GuardedCell<void*> acceleratorTable_{nullptr};
};

extern WedgeImpl g_WedgeImpl;
