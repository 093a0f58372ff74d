#pragma once

// The ids and display names that a server takes at LOGIN. Names go into
// every NEWGAME, result line, remark and record file name, so a name that
// could break a line or act on a terminal is refused.

#include "protocol_messages.h"

#include <cstddef>
#include <optional>
#include <string>

namespace skerrow {

// Longest id or display name taken at LOGIN, in bytes of UTF-8: 64 bytes hold
// any real team name (21 CJK characters) and keep those lines short.
inline constexpr std::size_t kMaxNameBytes = 64;

// Why a server refuses `login`, e.g. "the name has a control character";
// nothing when it takes it. The id and the name must be at most
// kMaxNameBytes of valid UTF-8 without control characters (U+0000 to U+001F,
// U+007F to U+009F).
std::optional<std::string> LoginFault(const Login& login);

} // namespace skerrow
