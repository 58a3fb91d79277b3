#pragma once
// DialogTemplateExTranslator: translates an extended dialog template (signature 0xFFFF,
// header of 13 words, items of 12 words each on 4-byte boundaries).
#include "lib/ResourceWedge/DialogTranslator.h"

class DialogTemplateExTranslator : public DialogTranslator {
public:
    using DialogTranslator::DialogTranslator;
    void Translate() override;

    // An extended template starts with version 1 and the signature 0xFFFF; the signature
    // alone decides.
    static bool IsExtended(std::uint32_t firstDword) { return (firstDword >> 16) == 0xFFFF; }
};
