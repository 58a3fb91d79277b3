#include "lib/ResourceWedge/TemplateTranslator.h"

#include "lib/ResourceWedge/prep_exception.h"

#include <algorithm>

TemplateTranslator::TemplateTranslator(const void* input, std::size_t size, TextTranslator& texts)
    : input_(static_cast<const std::uint8_t*>(input)),
      limit_(input ? std::min(size, kMaxTemplateSize) : 0),
      texts_(texts) {
    output_.reserve(limit_ + limit_ / 2);
}

void TemplateTranslator::Require(std::size_t offset, std::size_t count) {
    if (!input_) throw prep_exception("NULL == m_input_address");
    if (offset > limit_ || count > limit_ - offset) {
        errorDetected_ = true;
        throw prep_exception("m_error_detected");
    }
}

std::uint16_t TemplateTranslator::WordAt(std::size_t offset) {
    Require(offset, 2);
    return static_cast<std::uint16_t>(input_[offset] | (input_[offset + 1] << 8));
}

std::uint32_t TemplateTranslator::DwordAt(std::size_t offset) {
    return WordAt(offset) | (static_cast<std::uint32_t>(WordAt(offset + 2)) << 16);
}

std::uint16_t TemplateTranslator::ReadWord() {
    std::uint16_t value = WordAt(position_);
    position_ += 2;
    return value;
}

std::uint16_t TemplateTranslator::CopyWord() {
    std::uint16_t value = ReadWord();
    WriteWord(value);
    return value;
}

void TemplateTranslator::CopyBytes(std::size_t count) {
    Require(position_, count);
    output_.insert(output_.end(), input_ + position_, input_ + position_ + count);
    position_ += count;
}

void TemplateTranslator::WriteWord(std::uint16_t value) {
    output_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    output_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void TemplateTranslator::WriteText(const std::u16string& text) {
    for (char16_t c : text) WriteWord(static_cast<std::uint16_t>(c));
    WriteWord(0);
}

void TemplateTranslator::AlignInput() {
    // A resource may end right after its last text, before the padding; only a read past
    // the end is an error.
    position_ = (position_ + 3) & ~static_cast<std::size_t>(3);
}

void TemplateTranslator::PadOutput() {
    while (output_.size() % 4) output_.push_back(0);
}

void TemplateTranslator::CopyNameOrOrdinal() {
    std::uint16_t first = WordAt(position_);
    if (first == 0) {
        CopyWord();
    } else if (first == 0xFFFF) {
        CopyBytes(4);
    } else {
        WriteText(ReadText());
    }
}

void TemplateTranslator::TranslateNameOrOrdinal() {
    std::uint16_t first = WordAt(position_);
    if (first == 0) {
        CopyWord();
    } else if (first == 0xFFFF) {
        CopyBytes(4);
    } else {
        std::u16string text = TranslatedField();
        // A field that begins with 0xFFFF is read as an ordinal, so a translation that
        // begins so would shift every later field of the copy; those units go.
        text.erase(0, text.find_first_not_of(u'\xFFFF'));
        WriteText(text);
    }
}

std::u16string TemplateTranslator::ReadText() {
    std::u16string text;
    for (;;) {
        std::uint16_t c = ReadWord();
        if (c == 0) return text;
        text.push_back(static_cast<char16_t>(c));
    }
}

std::u16string TemplateTranslator::TranslatedField() {
    std::u16string text = TranslateOne(ReadText());
    // A zero inside the language text would end the field early and shift every later
    // field of the template, so the text ends there.
    if (auto zero = text.find(u'\0'); zero != std::u16string::npos) text.resize(zero);
    return text;
}

void TemplateTranslator::TranslateTextField() {
    WriteText(TranslatedField());
}

std::u16string TemplateTranslator::TranslateOne(const std::u16string& text) {
    if (text.empty()) return text;
    std::u16string result;
    if (texts_.Translate(text, result)) changed_ = true;
    return result;
}
