#include "ui/UiText.h"

#include "lib/ResourceWedge/WedgeImpl.h"
#include "string_ext.h"

namespace uitext {

UINT LanguageCodePage() { return g_WedgeImpl.Initialized() ? g_WedgeImpl.ConversionCodePage() : 0; }

std::wstring Wide(const std::string& text) {
    const std::uint32_t codePage = LanguageCodePage();
    try {
        return convert_wstring(text, codePage ? codePage : CP_ACP);
    } catch (const convert_wstring_failed&) {
        return std::wstring(text.begin(), text.end());
    }
}

std::wstring TrackWide(const std::string& text, bool utf8) {
    if (!utf8) return Wide(text);
    try {
        return convert_wstring(text, CP_UTF8);
    } catch (const convert_wstring_failed&) {
        return std::wstring(text.begin(), text.end());
    }
}

std::string TrackNarrow(const std::string& text, bool utf8) {
    if (!utf8) return text;
    const std::uint32_t codePage = LanguageCodePage();
    try {
        return convert_string(TrackWide(text, true), codePage ? codePage : CP_ACP);
    } catch (const convert_string_failed&) {
        return text;
    }
}

void SetText(HWND window, const std::string& text) {
    if (window) SetWindowTextW(window, Wide(text).c_str());
}

} // namespace uitext
