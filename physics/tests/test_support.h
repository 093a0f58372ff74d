#pragma once

#include <tarnwick/tarnwick.h>

#include <cstring>
#include <initializer_list>

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

// A house of 15 stones: twelve beside the centre line, one on the tee and two
// behind it, which the takeout of the tee stone drives over the back line.
inline GameState CrowdedHouse() {
    GameState state = EmptyPosition();
    state.shotNumber = 15;
    state.turnFlag = 1;
    int k = 0;
    for (const float y : {3.6f, 5.4f, 6.3f}) {
        for (const float x : {1.475f, 1.875f, 2.875f, 3.275f}) {
            state.stones[k++] = {x, y};
        }
    }
    state.stones[k++] = {2.375f, 4.88f};
    state.stones[k++] = {2.375f, 3.9f};
    state.stones[k++] = {2.375f, 3.4f};
    return state;
}

inline bool SameBytes(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace tarnwick::test
