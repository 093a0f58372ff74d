#pragma once

// Reading UTF-8 sequence by sequence, for the checks and escapes of text that
// players send: names at LOGIN, texts in the records and in remarks.

#include <cstddef>
#include <string_view>

namespace skerrow {

// Length in bytes (1 to 4) of the valid UTF-8 sequence that begins `text`;
// 0 when `text` is empty or begins with no valid sequence (a stray
// continuation byte, an overlong form, a surrogate, a code point beyond
// U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text);

// True when `sequence`, one valid UTF-8 sequence, is a control character
// (U+0000 to U+001F, U+007F to U+009F): terminals act on those (new lines,
// escape sequences) instead of showing them.
bool IsControlCharacter(std::string_view sequence);

// The code point of `sequence`, one valid UTF-8 sequence.
char32_t CodePoint(std::string_view sequence);

} // namespace skerrow
