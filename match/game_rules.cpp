#include "game_rules.h"

#include <algorithm>
#include <iterator>

namespace skerrow {

GameState EmptySheet(int lastEnd) {
    GameState state{};
    state.lastEnd = lastEnd;
    state.turnFlag = kRed;
    return state;
}

void ClearSheet(GameState& state) {
    for (StonePosition& stone : state.stones) {
        stone = {0.0f, 0.0f};
    }
}

bool HoldsStone(StonePosition stone) {
    return stone.x != 0.0f || stone.y != 0.0f;
}

int ColourToDeliver(int firstColour, int shotNumber) {
    return firstColour ^ (shotNumber & 1);
}

int RedScore(int firstColour, int endScore) {
    return firstColour == kRed ? endScore : -endScore;
}

int FirstToDeliverNext(int firstColour, int endScore) {
    if (endScore < 0) {
        return firstColour ^ 1; // the side that delivered second scored
    }
    return firstColour;
}

Points Tally(std::span<const int> redScores) {
    Points points;
    for (const int score : redScores) {
        if (score > 0) {
            points.red += score;
        } else {
            points.yellow -= std::int64_t{score};
        }
    }
    return points;
}

void ApplyEndScores(GameState& state, std::span<const int> scores) {
    const std::size_t count = std::min(scores.size(), std::size(state.endScores));
    std::copy_n(scores.begin(), count, std::begin(state.endScores));
}

void ApplySetState(GameState& state, const SetState& setState) {
    state.shotNumber = setState.shot;
    state.currentEnd = setState.end;
    state.lastEnd = setState.lastEnd;
    state.turnFlag = setState.turn;
}

void PlaceStones(GameState& state, std::span<const StonePosition> stones) {
    const std::size_t count = std::min(stones.size(), std::size(state.stones));
    std::copy_n(stones.begin(), count, std::begin(state.stones));
}

bool IsUnplayedEnd(int end, int lastEnd) {
    return lastEnd >= 1 && lastEnd < kEnds && end > lastEnd;
}

} // namespace skerrow
