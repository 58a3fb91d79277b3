#pragma once
// DialogTranslator: the part common to the translators of normal and extended dialog
// templates: the font rule and the creation data of a control.
#include "lib/ResourceWedge/TemplateTranslator.h"

#include <cstdint>
#include <string>

// The system's default GUI font as the font rule uses it. An empty face disables the rule.
struct DialogFont {
    std::u16string face;
    std::uint16_t pointSize = 0;
};

class DialogTranslator : public TemplateTranslator {
public:
    DialogTranslator(const void* input, std::size_t size, TextTranslator& texts,
                     const DialogFont& defaultFont)
        : TemplateTranslator(input, size, texts), defaultFont_(defaultFont) {}

    // Reads the whole template and builds its translation; throws prep_exception when the
    // template can't be read.
    virtual void Translate() = 0;

    // The face that the font rule replaces: "MS Shell Dlg", compared without case.
    static bool IsShellDialogFace(const std::u16string& face);

protected:
    static constexpr std::uint32_t kSetFontStyle = 0x40; // DS_SETFONT

    // The font part: point size, in extended templates weight and italic/character set
    // (copied as they are), then the face name.
    void TranslateFont(bool extended);
    // A control's creation-data size word and the data that follows it, copied whole.
    void CopyCreationData();

private:
    const DialogFont& defaultFont_;
};
