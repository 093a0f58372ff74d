#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skerrow {

// `text` made safe to show on a line of its own, in a window or on a
// terminal: every control character (C0, DEL and C1) is written in C notation
// ("\t", "\r", "\n", "\x1b", "\u009b"), and every byte that is not part of
// valid UTF-8 as "\xNN"; everything else stays. So a name or an engine's line
// can neither break the line it is shown on nor send codes to a terminal.
// At most `maxBytes` of `text` are shown (cut between characters), followed
// by "…" when something was left out.
std::string PrintableText(std::string_view text, std::size_t maxBytes = std::string_view::npos);

} // namespace skerrow
