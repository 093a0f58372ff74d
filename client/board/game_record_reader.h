#pragma once

// Reads one game's record, as the match server (--records) and engine-series
// write it: one JSON object per line, each with an "event". The reader builds
// the game's history from these events:
//
// - newgame: the names, the number of ends; the first line of a record.
// - position: the position before a stone (end, shot, turn, stones).
// - shot: the stone delivered (side, asked, played) and the stones after it.
// - score: the end's results so far, positive when red scored.
// - gameover: the result line.
//
// Other events (ready, go, answer, timeout, ...) say nothing about the
// positions and are skipped, as are events this reader does not know.

#include "board_file_error.h"
#include "game_history.h"

#include <string_view>
#include <variant>

namespace skerrow {

// The game in `text`, or what was wrong at which line of `fileName`.
std::variant<GameHistory, BoardFileError> ReadGameRecord(std::string_view text,
                                                         std::string_view fileName);

// True when `text` begins as a record does: its first line that is not blank
// is a JSON object with an "event".
bool LooksLikeGameRecord(std::string_view text);

} // namespace skerrow
