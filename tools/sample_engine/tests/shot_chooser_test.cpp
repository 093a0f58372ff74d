#include "shot_chooser.h"

#include "match_numbers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <random>

using namespace sample_engine;
using namespace std::chrono_literals;

namespace {

using skerrow::kTeeX;
using skerrow::kTeeY;

GameState Position(int shotNumber) {
    GameState state{};
    state.lastEnd = skerrow::kEnds;
    state.shotNumber = shotNumber;
    state.turnFlag = shotNumber % 2;
    return state;
}

// A clock that moves on by one millisecond every time it is read. The
// chooser reads it once per simulation, so a budget on this clock is a number
// of simulations, the same on a fast machine and under a sanitizer.
struct CountingClock {
    int reads = 0;
    std::chrono::steady_clock::time_point operator()() {
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(++reads));
    }
};

// The position after playing `shot` exactly.
GameState Play(GameState state, ShotVec shot) {
    EXPECT_EQ(Simulation(&state, shot, 0.0f, nullptr, -1), 1);
    return state;
}

bool SameShot(ShotVec a, ShotVec b) {
    return a.vx == b.vx && a.vy == b.vy && a.curl == b.curl;
}

} // namespace

TEST(ShotChooser, RemovesTheOtherSidesStoneFromTheTee) {
    // The odd side delivers with one even stone on the tee and nothing else.
    GameState state = Position(1);
    state.stones[0] = {kTeeX, kTeeY};
    CountingClock clock;
    const ShotChooser chooser(0.1f, std::ref(clock));
    std::mt19937 rng(7);
    const GameState after = Play(state, chooser.Choose(state, 400ms, rng));

    const StonePosition stone = after.stones[0];
    const bool removed = stone.x == 0.0f && stone.y == 0.0f;
    const double distance = std::hypot(stone.x - kTeeX, stone.y - kTeeY);
    EXPECT_TRUE(removed || distance > 1.0) << stone.x << ", " << stone.y;
    EXPECT_LT(after.endScores[0], 0) << "the shooter should lie shot";
}

TEST(ShotChooser, LastStoneOnAnEmptySheetScoresOne) {
    for (const int end : {0, 9}) {
        GameState state = Position(15);
        state.currentEnd = end;
        CountingClock clock;
        const ShotChooser chooser(0.1f, std::ref(clock));
        std::mt19937 rng(3);
        const GameState after = Play(state, chooser.Choose(state, 400ms, rng));
        EXPECT_EQ(after.endScores[end], -1) << "end " << end;
    }
}

TEST(ShotChooser, StopsWhenItsTimeRunsOut) {
    // The fake clock moves only when read, and the chooser reads it between
    // simulations: so it must have read it about as often as the budget has
    // milliseconds, and not once more after the time was up.
    GameState state = Position(4);
    state.stones[0] = {kTeeX, kTeeY};
    state.stones[1] = {2.0f, 5.5f};
    state.stones[2] = {2.6f, 8.0f};
    CountingClock clock;
    const ShotChooser chooser(0.1f, std::ref(clock));
    std::mt19937 rng(1);
    chooser.Choose(state, 40ms, rng);
    EXPECT_GE(clock.reads, 40);
    EXPECT_LE(clock.reads, 42);
}

TEST(ShotChooser, FallsBackToTheDrawToTheTee) {
    std::mt19937 rng(1);
    const ShotChooser chooser(0.1f);
    // No time to think.
    GameState state = Position(2);
    state.stones[0] = {kTeeX, kTeeY};
    EXPECT_TRUE(SameShot(chooser.Choose(state, 0ms, rng), DrawToTheTee()));
    // A position the library refuses: the end is already complete.
    EXPECT_TRUE(
        SameShot(chooser.Choose(Position(skerrow::kStonesPerEnd), 50ms, rng), DrawToTheTee()));
}

TEST(ShotChooser, EqualSeedsChooseAlike) {
    GameState state = Position(3);
    state.stones[0] = {kTeeX, kTeeY + 0.3f};
    state.stones[1] = {2.1f, 5.6f};
    state.stones[2] = {2.5f, 8.2f};
    CountingClock first;
    CountingClock second;
    std::mt19937 rngA(11);
    std::mt19937 rngB(11);
    const ShotVec a = ShotChooser(0.1f, std::ref(first)).Choose(state, 60ms, rngA);
    const ShotVec b = ShotChooser(0.1f, std::ref(second)).Choose(state, 60ms, rngB);
    EXPECT_TRUE(SameShot(a, b));
}
