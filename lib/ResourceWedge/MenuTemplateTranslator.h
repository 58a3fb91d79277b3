#pragma once
// MenuTemplateTranslator: translates a normal menu template (version 0): items of a flags
// word, a command id (not for popups) and a text.
#include "lib/ResourceWedge/MenuTranslator.h"

class MenuTemplateTranslator : public MenuTranslator {
public:
    using MenuTranslator::MenuTranslator;
    void ReadHeader() override { CopyHeader(); }
    void ReadItems() override;
};
