#pragma once
// StringTableTranslator: translates one string-table block: 16 entries, each a length word
// and that many UTF-16 code units.
#include "lib/ResourceWedge/TemplateTranslator.h"

class StringTableTranslator : public TemplateTranslator {
public:
    static constexpr int kEntries = 16;

    using TemplateTranslator::TemplateTranslator;
    void Translate();
};
