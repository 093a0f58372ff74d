#pragma once

#include <tarnwick/tarnwick.h>

#include <cstring>

namespace tarnwick::test {

// A freshly cleared position: all zero, ten ends.
inline GameState EmptyPosition() {
    GameState state{};
    state.lastEnd = 10;
    return state;
}

// The draw that CreateShot plans to the tee with the given curl.
inline ShotVec DrawToTee(int curl = 0) {
    ShotVec shot{};
    CreateShot({2.375f, 4.88f, curl}, &shot);
    return shot;
}

inline bool SameBytes(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace tarnwick::test
