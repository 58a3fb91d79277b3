#pragma once
// TextTranslator: how the template translators get the language version of one text.
// The wedge implements it over its lookup context; tests implement it over a table.
// Called on the thread that runs the translation, under the caller's locks.
#include <string>

class TextTranslator {
public:
    virtual ~TextTranslator() = default;

    // Puts the language version of text into result and answers whether any key was
    // replaced. text is never empty. May throw; the translators answer failure then.
    virtual bool Translate(const std::u16string& text, std::u16string& result) = 0;
};
