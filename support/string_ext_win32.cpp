// Text conversions through the system's MultiByteToWideChar and WideCharToMultiByte.
#include "inc/string_ext.h"

#include "support/FormatApiError.h"

#include <windows.h>

#include <climits>

// Failures name this file and the line of their throw.
constexpr char kSourceFile[] = "support/string_ext_win32.cpp";


std::wstring convert_wstring(std::string_view text, std::uint32_t codePage) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX - 1) {
        throw convert_wstring_failed(
            "convert_wstring",
            FormatApiError("MultiByteToWideChar()", ERROR_INVALID_PARAMETER).c_str(),
            kSourceFile, __LINE__);
    }
    std::wstring wide(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    if (length <= 0) {
        throw convert_wstring_failed("convert_wstring",
                                     FormatApiError("MultiByteToWideChar()", GetLastError()).c_str(),
                                     kSourceFile, __LINE__);
    }
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::string convert_string(std::wstring_view text, std::uint32_t codePage) {
    if (text.empty()) return {};
    int length = 0;
    if (text.size() <= INT_MAX / 4) {
        // Sized by the system, so that code pages of more than two bytes a character fit.
        length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    std::string bytes(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) {
        length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), length, nullptr, nullptr);
    }
    if (length <= 0) {
        throw convert_string_failed("convert_string",
                                    FormatApiError("WideCharToMultiByte()", GetLastError()).c_str(),
                                    kSourceFile, __LINE__);
    }
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

std::string convert_codepage(std::string_view text, std::uint32_t fromCodePage,
                             std::uint32_t toCodePage) {
    if (fromCodePage == toCodePage) return std::string(text);
    return convert_string(convert_wstring(text, fromCodePage), toCodePage);
}
