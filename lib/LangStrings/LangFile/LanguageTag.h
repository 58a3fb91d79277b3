#pragma once
// LanguageTag: a parsed tag of a language file, '<ACCEL ...>' or '<CODEPAGE ...>'.
// ParseTag makes one from the tag text; the caller owns the result. Tags are immutable
// values and may be used from any thread.
#include <memory>
#include <string>
#include <string_view>

class LanguageTag {
public:
    enum Type : int { kAccelerator = 1, kCodepage = 2 };

    virtual ~LanguageTag() = default;
    LanguageTag(const LanguageTag&) = delete;
    LanguageTag& operator=(const LanguageTag&) = delete;

    Type GetType() const { return type_; }
    // A line holding this tag must carry "=".
    bool NeedsEquals() const { return needsEquals_; }
    // The right side of such a line must itself be a tag.
    bool NeedsTagValue() const { return needsTagValue_; }

protected:
    LanguageTag(Type type, bool needsEquals, bool needsTagValue)
        : type_(type), needsEquals_(needsEquals), needsTagValue_(needsTagValue) {}

private:
    Type type_;
    bool needsEquals_;
    bool needsTagValue_;
};

// Parses '<TYPE word ...>'. Returns nothing when the text is no tag; reason then says why
// (empty when the text does not begin with '<' and end with '>'). Words are upper-cased
// before they are read, and reasons quote them upper-cased.
std::unique_ptr<LanguageTag> ParseTag(std::string_view text, std::string& reason);

// Removes every leading and trailing byte of value 0x20 or less.
std::string_view TrimBlanks(std::string_view text);
