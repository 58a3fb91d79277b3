#include "lib/ResourceWedge/WedgeTextTranslator.h"

#include "lib/ResourceWedge/WedgeImpl.h"
#include "string_ext.h"
#include "support/UniqueHandle.h"

#include <windows.h>

#include <cstring>
#include <string_view>

bool WedgeTextTranslator::Translate(const std::u16string& text, std::u16string& result) {
    const std::uint32_t codePage = g_WedgeImpl.LanguageCodePage();
    const std::wstring wide(text.begin(), text.end());
    bool changed = false;
    const std::string translated = g_WedgeImpl.TranslateText(convert_string(wide, codePage), &changed);
    if (!changed) {
        // The text as it stands, without a round trip through the code page.
        result = text;
        return false;
    }
    const std::wstring back = convert_wstring(translated, codePage);
    result.assign(back.begin(), back.end());
    return true;
}

DialogFont WedgeTextTranslator::DefaultGuiFont() {
    DialogFont font;
    LOGFONTA logFont{};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (!stock || !GetObjectA(stock, sizeof logFont, &logFont)) return font;
    const UniqueDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    const int points = -MulDiv(logFont.lfHeight, 72, dpi);
    if (points <= 0 || points > 0xFFFF) return font;
    const std::string_view face(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    std::wstring wide;
    if (face.empty() || !try_convert_wstring(face, CP_ACP, wide)) return font;
    font.face.assign(wide.begin(), wide.end());
    font.pointSize = static_cast<std::uint16_t>(points);
    return font;
}
