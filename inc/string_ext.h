#pragma once
// Conversions between byte text in a code page (single- or double-byte) and wide text.
// The Windows build converts with the system's conversion functions; the native build with
// iconv, so that code-page conversions are tested natively too. Any thread.
#include "support/ContextException.h"

#include <cstdint>
#include <string>
#include <string_view>

FENNEL_EXCEPTION(convert_string_failed, ContextException);
FENNEL_EXCEPTION(convert_wstring_failed, ContextException);

// Wide form of a byte text in codePage. Throws convert_wstring_failed when the system
// refuses a non-empty text.
std::wstring convert_wstring(std::string_view text, std::uint32_t codePage);

// Byte text in codePage of a wide text (characters the code page lacks are replaced the
// system's way). Throws convert_string_failed when the system refuses a non-empty text.
std::string convert_string(std::wstring_view text, std::uint32_t codePage);

// The same two conversions for callers that must not throw: false, with out empty, when
// the system refuses the text or memory runs out.
inline bool try_convert_wstring(std::string_view text, std::uint32_t codePage, std::wstring& out) noexcept {
    try {
        out = convert_wstring(text, codePage);
        return true;
    } catch (...) {
        out.clear();
        return false;
    }
}

inline bool try_convert_string(std::wstring_view text, std::uint32_t codePage, std::string& out) noexcept {
    try {
        out = convert_string(text, codePage);
        return true;
    } catch (...) {
        out.clear();
        return false;
    }
}

// The text recoded from one code page to another; unchanged when both are equal.
std::string convert_codepage(std::string_view text, std::uint32_t fromCodePage,
                             std::uint32_t toCodePage);
