#pragma once

// The name of one game's record file, shared by everything that writes or
// reads game records (the match server, skerrow-match).

#include <string>
#include <string_view>

namespace skerrow {

// "game-<game>-<red>-<yellow>.jsonl", each name cut to 32 bytes, with every
// byte other than an ASCII letter, digit, '-' or '_' replaced by '_'.
std::string RecordFileName(int game, std::string_view red, std::string_view yellow);

} // namespace skerrow
