#pragma once
// MarkupScanner: walks the tags of an XML-like text (entry lists, WPL and XSPF playlists)
// once from its start, forgiving about case and unbalanced tags. Works on a view of text
// that its owner keeps alive; one thread. An unterminated tag, comment or declaration ends
// the scan; nothing throws for malformed text.
#include <cstddef>
#include <string>
#include <string_view>

struct MarkupTag {
    std::size_t offset = 0;      // of the tag's '<' in the text
    std::string name;            // lower case
    bool end = false;            // </name>
    bool empty = false;          // <name ... />
    std::string_view attributes; // raw, between the name and the closing '>' or '/>'
    std::string text;            // character data up to the next markup (CDATA included), decoded
};

class MarkupScanner {
public:
    // utf8: numeric character references become UTF-8; otherwise those beyond U+007F stay
    // as written, since the text is in the system code page.
    MarkupScanner(std::string_view text, bool utf8) : text_(text), utf8_(utf8) {}

    // Fills tag with the next tag; false at the end of the text or at unterminated markup.
    bool Next(MarkupTag& tag);
    // The decoded value of the attribute (any case; quoted with ' or ", or bare); empty when
    // the tag has none.
    std::string Attribute(const MarkupTag& tag, std::string_view name) const;

    // Decodes &amp; &lt; &gt; &quot; &apos; &#N; &#xN;. A numeric reference to NUL, a
    // surrogate or beyond U+10FFFF is dropped; an unknown or unterminated one stays as written.
    static std::string DecodeEntities(std::string_view raw, bool utf8);

private:
    std::string ReadText();

    std::string_view text_;
    std::size_t pos_ = 0;
    bool utf8_;
};
