// The sheet's numbers against the physics library's behaviour: the library
// keeps its own copy of them, and the two must not drift apart.
#include "match_numbers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace skerrow;

namespace {

constexpr ShotVec kStandStill{0.0f, 0.0f, 0};
// Far enough inside or outside a limit for the float arithmetic not to matter.
constexpr float kMargin = 0.01f;

// The position after one delivery played exactly.
GameState Play(GameState state, ShotVec shot) {
    EXPECT_EQ(Simulation(&state, shot, 0.0f, nullptr, -1), 1);
    return state;
}

// A position with stone 0 stored at (x, y) and stone 1 to be delivered.
GameState OneStoneAt(float x, float y) {
    GameState state{};
    state.lastEnd = kEnds;
    state.shotNumber = 1;
    state.turnFlag = 1;
    state.stones[0] = {x, y};
    return state;
}

bool Holds(StonePosition stone) {
    return stone.x != 0.0f || stone.y != 0.0f;
}

} // namespace

TEST(MatchNumbers, DeliveriesStartAtTheDeliveryPointAndADrawStopsOnTheTee) {
    EXPECT_EQ(Play(OneStoneAt(0.0f, 0.0f), kStandStill).stones[1].x, kDeliveryX);
    EXPECT_EQ(Play(OneStoneAt(0.0f, 0.0f), kStandStill).stones[1].y, kDeliveryY);

    ShotVec draw{};
    ASSERT_EQ(CreateShot({kTeeX, kTeeY, 0}, &draw), 1);
    GameState state{};
    state.lastEnd = kEnds;
    const GameState after = Play(state, draw);
    EXPECT_LT(std::hypot(after.stones[0].x - kTeeX, after.stones[0].y - kTeeY), kStoneRadius);
    EXPECT_EQ(after.endScores[0], 1);
}

TEST(MatchNumbers, AnEndHasItsStonesAndAStoneCountsWithinTheCountingRadius) {
    GameState state{};
    state.lastEnd = kEnds;
    for (int stone = 0; stone < kStonesPerEnd; ++stone) {
        EXPECT_EQ(state.currentEnd, 0) << "stone " << stone;
        state = Play(state, kStandStill);
    }
    EXPECT_EQ(state.currentEnd, 1);
    EXPECT_EQ(state.shotNumber, 0);

    const float nearY = kTeeY + kCountingRadius - kMargin;
    const float farY = kTeeY + kCountingRadius + kMargin;
    EXPECT_EQ(Play(OneStoneAt(kTeeX, nearY), kStandStill).endScores[0], 1);
    EXPECT_EQ(Play(OneStoneAt(kTeeX, farY), kStandStill).endScores[0], 0);
}

// A stored stone is put on the sheet only when all of it lies within the side
// lines and beyond the hog line; a stone whose centre passes the back line
// leaves play.
TEST(MatchNumbers, StoredStonesStayInPlayByTheLinesAndTheStoneRadius) {
    const struct {
        const char* where;
        float x;
        float y;
        bool kept;
    } rows[] = {
        {"inside the left side line", kStoneRadius + kMargin, 8.0f, true},
        {"over the left side line", kStoneRadius - kMargin, 8.0f, false},
        {"inside the right side line", kSheetWidth - kStoneRadius - kMargin, 8.0f, true},
        {"over the right side line", kSheetWidth - kStoneRadius + kMargin, 8.0f, false},
        {"beyond the hog line", kTeeX, kHogLineY - kStoneRadius - kMargin, true},
        {"on the hog line", kTeeX, kHogLineY - kStoneRadius + kMargin, false},
        {"on the back line", kTeeX, kBackLineY + kMargin, true},
        {"past the back line", kTeeX, kBackLineY - kMargin, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Holds(Play(OneStoneAt(row.x, row.y), kStandStill).stones[0]), row.kept)
            << row.where;
    }
}
