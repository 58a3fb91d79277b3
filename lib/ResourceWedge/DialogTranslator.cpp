#include "lib/ResourceWedge/DialogTranslator.h"

bool DialogTranslator::IsShellDialogFace(const std::u16string& face) {
    static constexpr char kShellDialog[] = "ms shell dlg";
    if (face.size() != sizeof kShellDialog - 1) return false;
    for (std::size_t i = 0; i < face.size(); ++i) {
        char16_t c = face[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(kShellDialog[i])) return false;
    }
    return true;
}

void DialogTranslator::TranslateFont(bool extended) {
    std::uint16_t pointSize = ReadWord();
    std::uint16_t weight = 0, italicCharset = 0;
    if (extended) {
        weight = ReadWord();
        italicCharset = ReadWord();
    }
    std::u16string face = ReadText();
    if (!defaultFont_.face.empty() && IsShellDialogFace(face)) {
        pointSize = defaultFont_.pointSize;
        face = defaultFont_.face;
        MarkChanged();
    }
    WriteWord(pointSize);
    if (extended) {
        WriteWord(weight);
        WriteWord(italicCharset);
    }
    WriteText(face);
}

void DialogTranslator::CopyCreationData() {
    CopyBytes(CopyWord());
}
