#pragma once

// A real game for the board's tests: the match referee plays it in-process
// with the physics library, and the test gets the game record the server
// writes, the match log the window of the player in seat 0 writes (every
// message from the server and every answer of its engine), and every
// position the referee's shots left.

#include <tarnwick/tarnwick.h>

#include <string>
#include <vector>

namespace skerrow::testing {

struct RefereedGame {
    std::string record;
    std::string log;
    std::vector<GameState> positions; // after each stone, as played
};

RefereedGame PlayRefereedGame(int ends);

} // namespace skerrow::testing
