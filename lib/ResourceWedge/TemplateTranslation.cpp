#include "lib/ResourceWedge/TemplateTranslation.h"

#include "lib/ResourceWedge/DialogTemplateExTranslator.h"
#include "lib/ResourceWedge/DialogTemplateTranslator.h"
#include "lib/ResourceWedge/MenuExTemplateTranslator.h"
#include "lib/ResourceWedge/MenuTemplateTranslator.h"
#include "lib/ResourceWedge/StringTableTranslator.h"
#include "lib/ResourceWedge/prep_exception.h"

#include <exception>
#include <memory>

namespace {

TranslateAnswer Finish(TemplateTranslator& translator, std::vector<std::uint8_t>* copy) {
    if (translator.ErrorDetected()) return TranslateAnswer::failure;
    if (!translator.Changed()) return TranslateAnswer::unchanged;
    *copy = translator.TakeOutput();
    copy->shrink_to_fit();
    return TranslateAnswer::translated;
}

} // namespace

TranslateAnswer TranslateDialogTemplate(const void* resource, std::size_t size, TextTranslator& texts,
                                        const DialogFont& defaultFont, std::vector<std::uint8_t>* copy) {
    try {
        if (!resource) throw prep_exception("NULL == pDialogResource");
        if (!copy) throw prep_exception("NULL == ppNewResource");
        if (size < 4) throw prep_exception("m_error_detected");
        const auto* bytes = static_cast<const std::uint8_t*>(resource);
        const std::uint32_t first = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                    (static_cast<std::uint32_t>(bytes[3]) << 24);
        std::unique_ptr<DialogTranslator> translator;
        if (DialogTemplateExTranslator::IsExtended(first)) {
            translator = std::make_unique<DialogTemplateExTranslator>(resource, size, texts, defaultFont);
        } else {
            translator = std::make_unique<DialogTemplateTranslator>(resource, size, texts, defaultFont);
        }
        translator->Translate();
        return Finish(*translator, copy);
    } catch (...) {
        return TranslateAnswer::failure;
    }
}

TranslateAnswer TranslateMenuTemplate(const void* resource, std::size_t size, TextTranslator& texts,
                                      std::vector<std::uint8_t>* copy) {
    try {
        if (!resource) throw prep_exception("NULL == pMenuResource");
        if (!copy) throw prep_exception("NULL == ppNewResource");
        std::unique_ptr<MenuTranslator> translator;
        switch (MenuTranslator::Version(resource, size)) {
        case 0: translator = std::make_unique<MenuTemplateTranslator>(resource, size, texts); break;
        case 1: translator = std::make_unique<MenuExTemplateTranslator>(resource, size, texts); break;
        default: return TranslateAnswer::failure;
        }
        translator->ReadHeader();
        translator->ReadItems();
        return Finish(*translator, copy);
    } catch (...) {
        return TranslateAnswer::failure;
    }
}

TranslateAnswer TranslateStringBlock(const void* resource, std::size_t size, TextTranslator& texts,
                                     std::vector<std::uint8_t>* copy) {
    if (!resource || !copy) return TranslateAnswer::nothing_done;
    try {
        StringTableTranslator translator(resource, size, texts);
        translator.Translate();
        if (translator.ErrorDetected()) return TranslateAnswer::nothing_done;
        return Finish(translator, copy);
    } catch (...) {
        return TranslateAnswer::nothing_done;
    }
}
