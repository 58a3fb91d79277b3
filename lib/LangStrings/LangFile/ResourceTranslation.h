#pragma once
// Translation of two resource kinds whose texts come from a language: accelerator tables
// (entries mapped through their canonical accelerator keys) and dialog initialisation data
// (combo-box texts with keys in braces). Both read a TextLookup and write a new copy; the
// resource itself is never changed.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The source of language texts a translation reads. Implemented by the lookup context.
class TextLookup {
public:
    virtual ~TextLookup() = default;
    // The text of a key ("{KEY}" or "KEY"), or nothing. Valid while the lookup lives.
    virtual std::optional<std::string_view> Lookup(std::string_view key) const = 0;
    // The text with every '{KEY}' that has a text replaced; changed tells whether any was.
    virtual std::string Translate(std::string_view text, bool& changed) const = 0;
};

enum class ResourceTranslation : int {
    kNotActive = 1, // nothing to do: the caller uses the resource unchanged
    kTranslated = 2, // a new copy was made and handed out
    kUnchanged = 3, // no entry changed: the caller uses the resource unchanged
};

// An accelerator-table resource: 8-byte entries (flags, key, command, padding; 16 bits
// each); the entry whose flags have 0x80 is the last. Entries beyond size are never read.
// An entry whose canonical key has a text that parses as an accelerator tag takes that
// tag's flags and key (keeping its own 0x02 and 0x80 bits and its command); a text that
// parses as a tag of another type leaves the entry unchanged.
ResourceTranslation TranslateAcceleratorTable(const void* data, std::size_t size,
                                              const TextLookup& lookup,
                                              std::vector<unsigned char>& table);

// Dialog initialisation data: entries of control id (16 bits), message (16 bits), data
// length (32 bits) and data, ended by a control id of 0. Each entry's text is translated.
// Data that runs past size ends the walk; what was read before it is translated.
ResourceTranslation TranslateDialogInitData(const void* data, std::size_t size,
                                            const TextLookup& lookup,
                                            std::vector<unsigned char>& result);
