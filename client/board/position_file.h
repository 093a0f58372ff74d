#pragma once

// A position on the board as a small JSON text file; docs/position-file.md
// describes the format. Saving writes every number in the shortest form that
// reads back as the same float, so a position saved, opened and saved again
// gives the same bytes.

#include "board_file_error.h"

#include <tarnwick/tarnwick.h>

#include <string>
#include <string_view>
#include <variant>

namespace skerrow {

// The text of a position file for `position`, ending in a newline.
std::string SavePosition(const GameState& position);

// The position in `text`, or what was wrong with `fileName`.
std::variant<GameState, BoardFileError> OpenPosition(std::string_view text,
                                                     std::string_view fileName);

// True when `text` begins as a JSON object does ('{' after blanks), as a
// position file, and a game record too, begins.
bool BeginsAsJsonObject(std::string_view text);

} // namespace skerrow
