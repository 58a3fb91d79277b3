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

void SetText(HWND window, const std::string& text) {
    if (window) SetWindowTextW(window, Wide(text).c_str());
}

} // namespace uitext
