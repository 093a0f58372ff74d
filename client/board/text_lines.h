#pragma once

// The lines of a text file: split at '\n', each without its '\n' and a '\r'
// before it, so that files written on Windows read the same.

#include <string_view>
#include <vector>

namespace skerrow {

std::vector<std::string_view> SplitLines(std::string_view text);

// The first line of `text` that holds more than blanks, trimmed; empty when
// there is none.
std::string_view FirstNonBlankLine(std::string_view text);

} // namespace skerrow
