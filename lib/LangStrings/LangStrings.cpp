#include "lib/LangStrings/LangStrings.h"

#include "inc/Application.h"
#include "inc/SharedMemory.h"
#include "lib/LangStrings/FileScan.h"
#include "lib/LangStrings/LangFile/LanguageFile.h"
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LanguageStore.h"
#include "lib/LangStrings/SectionScan.h"
#include "lib/LangStrings/StoreLayout.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <vector>

namespace {

// The process-wide language-file configuration.
struct Configuration {
    std::mutex lock;
    std::string folder;
    std::string prefix;
    std::string extension;
    std::atomic<bool> initialized{false};
    std::once_flag filesHeld;
    std::function<void(const std::string&)> reporter;
};

Configuration& Config() {
    static Configuration config;
    return config;
}

struct ConfigValues {
    std::string folder, prefix, extension;
};

ConfigValues ReadConfig() {
    Configuration& config = Config();
    std::lock_guard<std::mutex> guard(config.lock);
    return {config.folder, config.prefix, config.extension};
}

// The language folder, then the executable's folder (when it can be found).
std::vector<std::string> SearchFolders(const std::string& folder) {
    std::vector<std::string> folders{folder};
    try {
        folders.push_back(GetExePath());
    } catch (const exe_path_not_found&) {
    }
    return folders;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualUpper(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

std::uint16_t SearchLanguage(std::uint16_t wanted, const std::set<std::uint16_t>& available) {
    if (wanted == 0) return 0;
    std::uint16_t samePrimary = 0;
    for (std::uint16_t language : available) {
        if (language == wanted) return language;
        if ((language & 0x3FF) == (wanted & 0x3FF)) samePrimary = language;
    }
    return samePrimary;
}

void ReportLoadFailure(const std::string& text) {
    std::function<void(const std::string&)> reporter;
    {
        std::lock_guard<std::mutex> guard(Config().lock);
        reporter = Config().reporter;
    }
    if (reporter) {
        reporter(text);
    } else {
        langplatform::ShowSystemMessage("LoadLanguageFile", text);
    }
}

// Holds the store's Mutex for a scope.
class StoreLock {
public:
    explicit StoreLock(SharedMemory& memory) : memory_(memory) { memory_.Lock(); }
    ~StoreLock() { memory_.Unlock(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    SharedMemory& memory_;
};

} // namespace

bool LangStrings::Initialized() { return Config().initialized.load(); }

void ConfigureLanguageFiles(const std::string& folder, const std::string& prefix,
                            const std::string& extension) {
    Configuration& config = Config();
    {
        std::lock_guard<std::mutex> guard(config.lock);
        config.folder = folder;
        config.prefix = prefix;
        config.extension = extension;
    }
    config.initialized = true;
    std::call_once(config.filesHeld, [&] {
        for (const std::string& dir : SearchFolders(folder)) {
            for (const std::string& name : langplatform::FindFiles(dir, extension)) {
                langplatform::HoldFileOpen(langplatform::JoinPath(dir, name));
            }
        }
    });
}

std::uint16_t GetUserUILanguage(uilanguage_context context) {
    const std::string text = langplatform::ReadUserLocale(context);
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16) & 0xFFFF;
    if (value != 0) return static_cast<std::uint16_t>(value);
    return context == kDefaultUser ? GetUserUILanguage(kCurrentUser) : 0;
}

std::uint32_t GetOSCodepage(uilanguage_context context) {
    using langplatform::Locale;
    const Locale order[] = {Locale::kUserDefault, Locale::kSystemDefault};
    for (Locale locale : order) {
        if (locale == Locale::kUserDefault && context != kDefaultUser) continue;
        for (bool oem : {false, true}) {
            const std::uint32_t codePage = langplatform::LocaleCodePage(locale, oem);
            if (codePage > 2) return codePage;
        }
    }
    return langplatform::AnsiCodePageOfLanguage(GetUserUILanguage(kCurrentUser));
}

std::uint16_t LanguageOfFileName(std::string_view name, std::string_view prefix,
                                 std::string_view extension) {
    std::size_t digits = 0;
    while (digits < name.size() && !(name[digits] >= '0' && name[digits] <= '9')) ++digits;
    if (digits == name.size() || digits < prefix.size()) return 0;
    if (!EqualUpper(name.substr(digits - prefix.size(), prefix.size()), prefix)) return 0;
    std::size_t end = digits;
    unsigned long value = 0;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') {
        value = value * 10 + static_cast<unsigned long>(name[end] - '0');
        if (value > 0xFFFF) return 0;
        ++end;
    }
    if (end == name.size() || name[end] != '.') return 0;
    const std::string_view rest = name.substr(end + 1);
    if (rest.size() < extension.size() || !EqualUpper(rest.substr(0, extension.size()), extension)) {
        return 0;
    }
    return static_cast<std::uint16_t>(value);
}

std::set<std::uint16_t> ListLanguageFiles() {
    const ConfigValues config = ReadConfig();
    std::set<std::uint16_t> languages;
    for (const std::string& dir : SearchFolders(config.folder)) {
        for (const std::string& name : langplatform::FindFiles(dir, config.extension)) {
            const std::uint16_t language = LanguageOfFileName(name, config.prefix, config.extension);
            if (language != 0) languages.insert(language);
        }
    }
    return languages;
}

std::uint16_t ChooseLanguage(std::uint16_t requested, const std::set<std::uint16_t>& available,
                             std::uint16_t userLanguage) {
    if (std::uint16_t language = SearchLanguage(requested, available)) return language;
    if (std::uint16_t language = SearchLanguage(userLanguage, available)) return language;
    return available.empty() ? 0 : *available.begin();
}

std::uint16_t ChooseLanguage(std::uint16_t requested, const std::set<std::uint16_t>& available) {
    if (std::uint16_t language = SearchLanguage(requested, available)) return language;
    return ChooseLanguage(requested, available, GetUserUILanguage(kCurrentUser));
}

std::string GetLanguageFilePath(std::uint16_t language, std::uint64_t& fileSize) {
    const ConfigValues config = ReadConfig();
    const std::string name = config.prefix + std::to_string(language) + "." + config.extension;
    std::vector<std::string> candidates{langplatform::JoinPath(config.folder, name), name};
    try {
        candidates.push_back(GetExePath() + name);
    } catch (const exe_path_not_found&) {
    }
    for (const std::string& path : candidates) {
        const langplatform::FileProbe probe = langplatform::ProbeFile(path);
        if (!probe.opened) continue;
        if (!probe.size || *probe.size < 10) {
            FENNEL_THROW(LangStrings::filesize_failure, "GetLanguageFilePath()", "");
        }
        fileSize = *probe.size;
        return path;
    }
    FENNEL_THROW(LangStrings::language_not_found, "GetLanguageFilePath()", "");
}

std::string StoreMappingName(const std::string& path) {
    std::string name = path;
    for (char& c : name) {
        if (c == '\\') c = '_';
    }
    return name;
}

void FillLanguageStore(unsigned char* view, std::size_t size, std::uint16_t language,
                       std::uint32_t codePage, LanguageFile& file) {
    if (size < store::kHeaderSize) {
        FENNEL_THROW(SectionScan::memory_overflow, "SectionScan::Eof()",
                     "Section data did not fit in shared memory.");
    }
    store::Write16(view + store::kLanguageOffset, language);
    store::Write16(view + store::kReservedOffset, 0);
    store::Write32(view + store::kCodePageOffset, codePage);
    std::size_t cursor = store::kHeaderSize;
    {
        SectionScan sections(view, size, cursor);
        file.GetSectionsA(sections);
    }
    FileScan strings(view, size, cursor, file.Path());
    file.ScanFile(strings);
}

void LoadLangFile(std::uint16_t language, SharedMemory& memory, std::size_t size,
                  const std::string& path) {
    StoreLock lock(memory);
    if (size > memory.Size()) size = memory.Size();
    LanguageFile file(path);
    FillLanguageStore(memory.View(), size, language,
                      langplatform::AnsiCodePageOfLanguage(language), file);
}

std::shared_ptr<LanguageStore> LoadLanguageFile(std::uint16_t language) {
    try {
        std::uint64_t fileSize = 0;
        const std::string path = GetLanguageFilePath(language, fileSize);
        // Offsets in the store are 32 bits wide.
        const std::uint64_t size = store::SizeForFile(fileSize);
        if (size > std::numeric_limits<std::uint32_t>::max() ||
            static_cast<std::uint64_t>(static_cast<std::size_t>(size)) != size) {
            FENNEL_THROW(LangStrings::filesize_failure, "GetLanguageFilePath()", "");
        }
        auto memory =
            std::make_unique<SharedMemory>(StoreMappingName(path), static_cast<std::size_t>(size));
        {
            // Taken before the mapping is opened, so that a store another process is still
            // filling is read only once that process has released it.
            StoreLock lock(*memory);
            memory->Init(SharedMemory::kAllAccess, &SharedMemory::ZeroFill);
            if (!memory->Existed()) {
                LoadLangFile(language, *memory, static_cast<std::size_t>(size), path);
            }
        }
        return std::make_shared<LanguageStore>(language, path, fileSize, std::move(memory));
    } catch (const std::exception& e) {
        ReportLoadFailure(std::string("Caught exception: ") + e.what());
        throw;
    }
}

void SetLoadFailureReporter(std::function<void(const std::string& text)> reporter) {
    std::lock_guard<std::mutex> guard(Config().lock);
    Config().reporter = std::move(reporter);
}
