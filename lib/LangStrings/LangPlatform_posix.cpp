// Native stand-in for the system services: locale answers from settable values, code pages
// through iconv, files through POSIX calls.
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangPlatformDouble.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <map>
#include <mutex>

namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

// Code page 0 stands for the system's ANSI code page, as it does on Windows.
std::uint32_t Resolve(std::uint32_t codePage);

std::string IconvName(std::uint32_t codePage) {
    std::string name = "CP";
    name += std::to_string(Resolve(codePage));
    return name;
}

// Lead-byte tables per code page, made once from iconv: a byte is a lead byte when it
// alone is an incomplete character.
const std::array<bool, 256>& LeadBytes(std::uint32_t codePage) {
    static std::map<std::uint32_t, std::array<bool, 256>> tables;
    std::lock_guard<std::mutex> guard(Lock());
    auto found = tables.find(codePage);
    if (found != tables.end()) return found->second;
    std::array<bool, 256> table{};
    iconv_t cd = iconv_open("UTF-8", IconvName(codePage).c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        for (int b = 0x80; b < 256; ++b) {
            char in[1] = {static_cast<char>(b)};
            char out[8];
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = 1, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) &&
                errno == EINVAL) {
                table[b] = true;
            }
        }
        iconv_close(cd);
    }
    return tables.emplace(codePage, table).first->second;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

} // namespace

namespace langplatform {

namespace testing {
Settings& CurrentSettings() {
    static Settings settings;
    return settings;
}
std::vector<std::string>& ShownMessages() {
    static std::vector<std::string> messages;
    return messages;
}
} // namespace testing

bool IsLeadByte(std::uint32_t codePage, unsigned char byte) {
    if (byte < 0x80) return false;
    return LeadBytes(Resolve(codePage))[byte];
}

std::string NoBreakSpace(std::uint32_t codePage) {
    iconv_t cd = iconv_open(IconvName(codePage).c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char in[] = "\xC2\xA0";
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 2, outLeft = sizeof out;
    const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1)) return {};
    return std::string(out, static_cast<std::size_t>(outPtr - out));
}

std::uint32_t AnsiCodePageOfLanguage(std::uint16_t language) {
    if (language == 0) return 0;
    switch (language & 0x3FF) {
    case 0x11: return 932;
    case 0x04: return (language == 0x0404 || language == 0x0C04 || language == 0x1404) ? 950 : 936;
    case 0x12: return 949;
    case 0x1E: return 874;
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1A: case 0x1B: case 0x1C: case 0x24:
        return 1250;
    case 0x02: case 0x19: case 0x22: case 0x23: return 1251;
    case 0x08: return 1253;
    case 0x1F: return 1254;
    case 0x0D: return 1255;
    case 0x01: case 0x29: return 1256;
    case 0x25: case 0x26: case 0x27: return 1257;
    case 0x2A: return 1258;
    default: return 1252;
    }
}

std::uint32_t LocaleCodePage(Locale locale, bool oem) {
    std::lock_guard<std::mutex> guard(Lock());
    const testing::Settings& s = testing::CurrentSettings();
    if (locale == Locale::kUserDefault) return oem ? s.userOemCodePage : s.userAnsiCodePage;
    return oem ? s.systemOemCodePage : s.systemAnsiCodePage;
}

bool IsUsableCodePage(std::uint32_t codePage) {
    iconv_t cd = iconv_open("UTF-8", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

std::string ReadUserLocale(int context) {
    std::lock_guard<std::mutex> guard(Lock());
    return testing::CurrentSettings().userLocale[context == 1 ? 1 : 0];
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

std::vector<std::string> FindFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    std::string suffix = ".";
    suffix += Lower(extension);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > suffix.size() &&
            Lower(name.substr(name.size() - suffix.size())) == suffix) {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

void HoldFileOpen(const std::string& path) {
    // Kept open for the life of the process.
    (void)open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

FileProbe ProbeFile(const std::string& path) {
    FileProbe probe;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return probe;
    probe.opened = true;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        probe.size = static_cast<std::uint64_t>(info.st_size);
    }
    close(fd);
    return probe;
}

void ShowSystemMessage(const std::string& caption, const std::string& text) {
    std::lock_guard<std::mutex> guard(Lock());
    testing::ShownMessages().push_back(caption + "|" + text);
}

void DestroyAcceleratorHandle(void*) {}

} // namespace langplatform

namespace {

std::uint32_t Resolve(std::uint32_t codePage) {
    return codePage != 0 ? codePage : langplatform::LocaleCodePage(langplatform::Locale::kSystemDefault, false);
}

} // namespace
