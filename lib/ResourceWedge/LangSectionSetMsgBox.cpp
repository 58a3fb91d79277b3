// LangSectionSet::MsgBox: a system message-box call shown by the program's own box. The
// texts and button captions come from this lookup context and are shown in the language's
// code page where the system can show it. Any failure on the way (an unknown style or
// answer, a window that can't be made) shows the system's box with the untranslated texts.
#include "lib/GUI/MsgBox.h"
#include "lib/GUI/MsgBoxButtonSet.h"
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/RealFunctions.h"
#include "string_ext.h"
#include "support/UniqueHandle.h"

#include <windows.h>

namespace {

constexpr UINT kFallbackStyle = 0x100000; // added to the style of the system box shown instead

// The code page the box shows its texts in: the language's when the system knows it, else
// the system's own.
std::uint32_t DisplayCodePage(std::uint32_t languageCodePage) {
    if (languageCodePage > 2 && IsValidCodePage(languageCodePage)) return languageCodePage;
    using langplatform::Locale;
    for (bool oem : {false, true}) {
        const std::uint32_t codePage = langplatform::LocaleCodePage(Locale::kSystemDefault, oem);
        if (codePage > 2) return codePage;
    }
    return langplatform::AnsiCodePageOfLanguage(GetUserUILanguage(kCurrentUser));
}

UniqueIcon IconOf(unsigned style) {
    LPCWSTR id = nullptr;
    switch (style & 0xF0) {
    case 0x10: id = reinterpret_cast<LPCWSTR>(IDI_HAND); break;
    case 0x20: id = reinterpret_cast<LPCWSTR>(IDI_QUESTION); break;
    case 0x30: id = reinterpret_cast<LPCWSTR>(IDI_EXCLAMATION); break;
    case 0x40: id = reinterpret_cast<LPCWSTR>(IDI_ASTERISK); break;
    default: return UniqueIcon();
    }
    HICON shared = LoadIconW(nullptr, id);
    return UniqueIcon(shared ? CopyIcon(shared) : nullptr);
}

} // namespace

int LangSectionSet::MsgBox(HWND owner, const char* text, const char* caption, unsigned style) const {
    const std::string plainText = text ? text : "";
    const std::string plainCaption = caption ? caption : "Error";
    try {
        const std::uint32_t languageCodePage = CodePage();
        const std::uint32_t display = DisplayCodePage(languageCodePage);
        auto shown = [&](std::string_view t) { return convert_codepage(Translate(t), languageCodePage, display); };

        const std::string boxText = shown(plainText);
        const std::string boxCaption = shown(plainCaption);
        const MsgBoxButtonSet set(style);
        std::vector<string_and_id> buttons;
        for (const MsgBoxButtonSet::Button& button : set.Buttons()) {
            const std::optional<std::string_view> captionText = Lookup(button.key);
            buttons.push_back({shown(captionText ? *captionText : button.defaultCaption), button.id});
        }
        const UniqueIcon icon = IconOf(style);
        const int pressed = ::MsgBox::Show(owner, boxText, boxCaption.c_str(), buttons, set.DefaultId(), icon.get(),
                                           display);
        return set.Result(pressed);
    } catch (...) {
        const auto systemBox = ResourceWedge::Real::MessageBoxExA.Get();
        if (!systemBox) return 0;
        return systemBox(owner, plainText.c_str(), plainCaption.c_str(), style | kFallbackStyle, Language());
    }
}
