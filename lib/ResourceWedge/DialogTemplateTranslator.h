#pragma once
// DialogTemplateTranslator: translates a normal dialog template (header of 9 words,
// items of 9 words each on 4-byte boundaries).
#include "lib/ResourceWedge/DialogTranslator.h"

class DialogTemplateTranslator : public DialogTranslator {
public:
    using DialogTranslator::DialogTranslator;
    void Translate() override;
};
