#include "ui/UiText.h"

#include "lib/LangStrings/ActiveLanguage.h"
#include "string_ext.h"

namespace uitext {

namespace {

std::wstring Widened(const std::string& text, std::uint32_t codePage) {
    try {
        return convert_wstring(text, codePage);
    } catch (const convert_wstring_failed&) {
        return std::wstring(text.begin(), text.end());
    }
}

} // namespace

UINT LanguageCodePage() { return ActiveLanguage::ShownCodePage(); }

std::wstring Wide(const std::string& text) {
    const std::uint32_t codePage = LanguageCodePage();
    return Widened(text, codePage ? codePage : CP_ACP);
}

std::wstring NameWide(const std::string& name, bool utf8) { return Widened(name, utf8 ? CP_UTF8 : CP_ACP); }

std::wstring WithName(const std::string& formatted, const std::wstring& name) {
    std::wstring text = Wide(formatted);
    for (std::size_t at = 0; (at = text.find(static_cast<wchar_t>(kNameMark[0]), at)) != std::wstring::npos;) {
        text.replace(at, 1, name);
        at += name.size();
    }
    return text;
}

void SetText(HWND window, const std::string& text) { SetText(window, Wide(text)); }

void SetText(HWND window, const std::wstring& text) {
    if (window) SetWindowTextW(window, text.c_str());
}

} // namespace uitext
