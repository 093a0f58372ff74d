#pragma once

// Reads the log the window writes for each game into ./Log/: one line per
// message, "Server: " and what the server sent or "Client: " and what the
// engine or the user sent on. The history comes from the server's lines:
// POSITION and SETSTATE give the position before each stone, RUNSHOT the
// delivery played, the next POSITION and SETSTATE the position after it, and
// SCORE the end's result. The server sends no position after an end's last
// stone, so that one stone is replayed with the physics library (with no
// random error, the delivery played being already known), as the window's
// replay shows it. An engine's BESTSHOT (a delivery) is kept as the delivery
// asked; a user's BESTSHOT names a target point, not a delivery, and is not.

#include "board_file_error.h"
#include "board_physics.h"
#include "game_history.h"

#include <string_view>
#include <variant>

namespace skerrow {

// The game in `text`, or what was wrong at which line of `fileName`.
// `physics` needs only its simulation, and only for a log that holds a scored
// end or stops after a stone.
std::variant<GameHistory, BoardFileError>
ReadMatchLog(std::string_view text, std::string_view fileName, const BoardPhysics& physics);

// True when `text` begins as a match log does.
bool LooksLikeMatchLog(std::string_view text);

} // namespace skerrow
