#pragma once
// MenuExTemplateTranslator: translates an extended menu template (version 1): items of
// type, state, id, flags and text on 4-byte boundaries, popups followed by a help id.
#include "lib/ResourceWedge/MenuTranslator.h"

class MenuExTemplateTranslator : public MenuTranslator {
public:
    using MenuTranslator::MenuTranslator;
    void ReadHeader() override { CopyHeader(); }
    void ReadItems() override;
};
