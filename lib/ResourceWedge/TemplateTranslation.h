#pragma once
// The entries of the resource translators: dialog templates (resource type 5), menu
// templates (type 4) and string-table blocks (type 6). Each reads size bytes of the
// resource at most (and never more than 64 KiB), catches every failure itself and answers
// failure then; on translated, *copy holds the new resource.
#include "lib/ResourceWedge/DialogTranslator.h"
#include "lib/ResourceWedge/TextTranslator.h"
#include "lib/ResourceWedge/TranslateAnswer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

TranslateAnswer TranslateDialogTemplate(const void* resource, std::size_t size, TextTranslator& texts,
                                        const DialogFont& defaultFont, std::vector<std::uint8_t>* copy);

TranslateAnswer TranslateMenuTemplate(const void* resource, std::size_t size, TextTranslator& texts,
                                      std::vector<std::uint8_t>* copy);

TranslateAnswer TranslateStringBlock(const void* resource, std::size_t size, TextTranslator& texts,
                                     std::vector<std::uint8_t>* copy);
