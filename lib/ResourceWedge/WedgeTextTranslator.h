#pragma once
// WedgeTextTranslator: the template translators' access to the language: a UTF-16 text is
// converted to the language's code page, every '{KEY}' in it replaced through g_WedgeImpl,
// and converted back. Also supplies the system's default GUI font for the font rule.
// Used under the resource cache's lock on the thread that found the resource.
#include "lib/ResourceWedge/DialogTranslator.h"
#include "lib/ResourceWedge/TextTranslator.h"

class WedgeTextTranslator : public TextTranslator {
public:
    bool Translate(const std::u16string& text, std::u16string& result) override;

    // Face and point size of DEFAULT_GUI_FONT; an empty face when they can't be read.
    static DialogFont DefaultGuiFont();
};
