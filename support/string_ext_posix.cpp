// Native text conversions through iconv; code page N is iconv's "CPN".
#include "inc/string_ext.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

// Failures name this file and the line of their throw.
constexpr char kSourceFile[] = "support/string_ext_posix.cpp";

namespace {

std::string Failure(const char* api, int error) {
    return std::string("Call to '") + api + "' returned error " + std::to_string(error) + ": " +
           std::strerror(error);
}

// Converts bytes from one iconv encoding to another; returns false with errno set.
bool Convert(const char* to, const char* from, const char* data, std::size_t length,
             std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(4 * length + 16);
    char* in = const_cast<char*>(data);
    char* outPtr = buffer.data();
    std::size_t inLeft = length, outLeft = buffer.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1)) {
        errno = error;
        return false;
    }
    out.assign(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
    return true;
}

std::string CodePageName(std::uint32_t codePage) {
    std::string name = "CP";
    name += std::to_string(codePage);
    return name;
}

} // namespace

std::wstring convert_wstring(std::string_view text, std::uint32_t codePage) {
    if (text.empty()) return {};
    std::string bytes;
    if (!Convert("WCHAR_T", CodePageName(codePage).c_str(), text.data(), text.size(), bytes)) {
        throw convert_wstring_failed("convert_wstring", Failure("iconv()", errno).c_str(),
                                     kSourceFile, __LINE__);
    }
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    return wide;
}

std::string convert_string(std::wstring_view text, std::uint32_t codePage) {
    if (text.empty()) return {};
    std::string bytes;
    const std::string to = CodePageName(codePage) + "//TRANSLIT";
    if (!Convert(to.c_str(), "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                 text.size() * sizeof(wchar_t), bytes)) {
        throw convert_string_failed("convert_string", Failure("iconv()", errno).c_str(),
                                    kSourceFile, __LINE__);
    }
    return bytes;
}

std::string convert_codepage(std::string_view text, std::uint32_t fromCodePage,
                             std::uint32_t toCodePage) {
    if (fromCodePage == toCodePage) return std::string(text);
    return convert_string(convert_wstring(text, fromCodePage), toCodePage);
}
