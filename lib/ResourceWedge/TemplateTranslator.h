#pragma once
// TemplateTranslator: the reading and writing shared by the dialog, menu and string-table
// translators. It reads a resource in place, never past the given size nor more than
// 64 KiB from its start, and builds the new resource as a byte sequence. One object
// serves one translation on one thread and is discarded afterwards.
#include "lib/ResourceWedge/TextTranslator.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TemplateTranslator {
public:
    // No resource is read beyond this many bytes from its start.
    static constexpr std::size_t kMaxTemplateSize = 65536;

    // input may be null (the operations then fail); size is the readable length.
    TemplateTranslator(const void* input, std::size_t size, TextTranslator& texts);
    virtual ~TemplateTranslator() = default;
    TemplateTranslator(const TemplateTranslator&) = delete;
    TemplateTranslator& operator=(const TemplateTranslator&) = delete;

    bool ErrorDetected() const { return errorDetected_; }
    bool Changed() const { return changed_; }
    const std::vector<std::uint8_t>& Output() const { return output_; }
    std::vector<std::uint8_t> TakeOutput() { return std::move(output_); }

protected:
    std::size_t Position() const { return position_; }
    std::size_t OutputSize() const { return output_.size(); }
    void MarkChanged() { changed_ = true; }

    // Reads without moving; the value at a byte offset from the start.
    std::uint16_t WordAt(std::size_t offset);
    std::uint32_t DwordAt(std::size_t offset);

    std::uint16_t ReadWord();
    std::uint16_t CopyWord();
    void CopyBytes(std::size_t count);
    void WriteWord(std::uint16_t value);
    void WriteText(const std::u16string& text); // with its terminator

    // Input position to the next multiple of 4 from the start (it may pass the end when
    // nothing more is read); output padded with zeros to a multiple of 4.
    void AlignInput();
    void PadOutput();

    // Name-or-ordinal fields: 0, 0xFFFF plus an ordinal, or a zero-terminated text.
    void CopyNameOrOrdinal();
    void TranslateNameOrOrdinal();

    // A zero-terminated text at the input position, moved past.
    std::u16string ReadText();
    // Reads a zero-terminated text and writes its translation.
    void TranslateTextField();
    // The translation of the zero-terminated text at the input position, cut at any zero.
    std::u16string TranslatedField();
    // The translation of one text; an empty text stays empty.
    std::u16string TranslateOne(const std::u16string& text);

private:
    void Require(std::size_t offset, std::size_t count);

    const std::uint8_t* input_;
    std::size_t limit_;
    std::size_t position_ = 0;
    std::vector<std::uint8_t> output_;
    TextTranslator& texts_;
    bool changed_ = false;
    bool errorDetected_ = false;
};
