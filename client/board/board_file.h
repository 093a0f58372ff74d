#pragma once

// 局面を開く: one entry point for the three kinds of file the board opens. The
// kind is told from the content, not the file name: a position file, a game
// record of the match server or engine-series, or a match log from ./Log/.

#include "board_file_error.h"
#include "board_physics.h"
#include "game_history.h"

#include <string_view>
#include <variant>

namespace skerrow {

struct OpenedBoardFile {
    enum class Kind { Position, GameRecord, MatchLog };
    Kind kind = Kind::Position;
    // A position opens as a history without shots that starts from it.
    GameHistory history;
};

// What `text` (the content of `fileName`) holds, or why it cannot be opened.
// `physics` is needed for match logs only (see ReadMatchLog).
std::variant<OpenedBoardFile, BoardFileError>
OpenBoardFile(std::string_view text, std::string_view fileName, const BoardPhysics& physics);

} // namespace skerrow
