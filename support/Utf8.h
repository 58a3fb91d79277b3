#pragma once
// UTF-8 for the portable readers: well-formedness, encoding one code point, and UTF-16 text
// (a playlist saved by a Windows tool, say) re-encoded as UTF-8. No state; any thread.
#include <cstdint>
#include <string>
#include <string_view>

namespace utf8 {

// Well-formed UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF.
bool IsValid(std::string_view text);
// Appends the code point's UTF-8 bytes; the caller passes a valid scalar value.
void Append(std::string& out, std::uint32_t codePoint);
// UTF-16 bytes (little- or big-endian, without a byte-order mark) as UTF-8. An unpaired
// surrogate becomes U+FFFD; a final odd byte is dropped. Never fails.
std::string FromUtf16(std::string_view bytes, bool bigEndian);

} // namespace utf8
