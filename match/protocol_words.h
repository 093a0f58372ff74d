#pragma once

// Reading and writing the words and numbers of the text protocol, the same in
// every locale: a decimal point is always '.', whatever the process's C locale.
// The messages themselves are read and written by protocol_messages.h, from
// these.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// Size of a command word or numeric argument slot, terminating zero included.
inline constexpr std::size_t kWordSlot = 32;
// Size of a name or score argument, and of a formatted text, zero included.
inline constexpr std::size_t kTextSlot = 1024;

// Word `index` of `text` (0 is the command word). Only the space character
// separates words; runs of spaces count as one, leading spaces are skipped,
// and a trailing space yields one further, empty word. A word longer than
// `slot` - 1 bytes is cut to that length. Empty when there is no such word.
std::optional<std::string> GetToken(std::string_view text, std::size_t index,
                                    std::size_t slot = kWordSlot);

// A real number read as the C library's atof reads one, in any locale:
// leading blanks skipped, reading stops at the first character that does not
// fit, text that starts no number reads as 0. A value that is not a finite
// 32-bit float (nan, inf, 1e999) also reads as 0.
float ReadReal(std::string_view text);

// As ReadReal, but empty when the number read is not a finite 32-bit float
// (nan, inf, 1e999), where ReadReal gives 0: for values that must be refused
// rather than replaced.
std::optional<float> ReadFiniteReal(std::string_view text);

// A decimal number that takes up the whole word: an optional sign, digits, an
// optional fraction and exponent (no "inf", "nan" or hexadecimal form), within
// `limit` in size, as a 32-bit float. Empty for anything else, and for a value
// that is no finite float.
std::optional<float> ReadWholeReal(std::string_view word,
                                   double limit = std::numeric_limits<double>::infinity());

// A whole number that takes up the whole word, with an optional sign, within
// 32 bits. Empty for anything else.
std::optional<std::int32_t> ReadWholeInteger(std::string_view word);

// An integer read as atoi reads one: leading blanks, an optional sign, digits;
// anything else reads as 0. Values beyond the 32-bit range are clamped to it.
int ReadInteger(std::string_view text);

// `value` in fixed-point notation with six digits after the point, with a
// decimal point in every locale (as printf's "%f" in the C locale).
std::string FormatReal(float value);

// True when the two words are equal without regard to ASCII letter case.
bool SameWord(std::string_view a, std::string_view b);

// The part of a message that a client acts on, logs and passes on: up to its
// first newline or zero byte (a carriage return before the newline stays).
std::string_view CutAtLineEnd(std::string_view message);

// `text` without the spaces, tabs, carriage returns and newlines at its end,
// which the server ignores.
std::string_view TrimEnd(std::string_view text);

} // namespace skerrow
