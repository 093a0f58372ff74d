#include "trial_board.h"

#include "game_rules.h"
#include "match_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace skerrow {
namespace {

const BoardPhysics kPhysics{&Simulation, &CreateShot, &CreateHitShot};

bool Same(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(TrialBoard, ShotsChangeThePositionAndUndoRestoresItExactly) {
    GameState start = EmptySheet();
    start.currentEnd = 4;
    start.shotNumber = 2;
    start.turnFlag = kYellow;
    start.endScores[0] = 2;
    start.stones[0] = {kTeeX, kTeeY};
    start.stones[1] = {kTeeX + 0.5f, kTeeY + 1.0f};
    TrialBoard board(kPhysics, start);
    EXPECT_FALSE(board.Undo());

    const ShotPos tee{kTeeX, kTeeY, 0};
    const TrialBoard::Outcome draw = board.PlayDraw({kTeeX - 0.8f, kTeeY - 0.3f, 1});
    ASSERT_TRUE(draw.played.has_value());
    const GameState afterDraw = board.position();
    EXPECT_EQ(afterDraw.shotNumber, 3);
    EXPECT_EQ(afterDraw.turnFlag, kRed);
    EXPECT_NEAR(afterDraw.stones[2].x, kTeeX - 0.8f, 0.05f);
    EXPECT_NEAR(afterDraw.stones[2].y, kTeeY - 0.3f, 0.05f);
    EXPECT_TRUE(Same(board.positionBefore(), start));

    // A takeout moves the stone on the tee.
    ASSERT_TRUE(board.PlayHit(tee, 8.0f).played.has_value());
    EXPECT_FALSE(board.position().stones[0].x == kTeeX && board.position().stones[0].y == kTeeY);
    EXPECT_EQ(board.undoDepth(), 2u);

    ASSERT_TRUE(board.Undo());
    EXPECT_TRUE(Same(board.position(), afterDraw));
    ASSERT_TRUE(board.Undo());
    EXPECT_TRUE(Same(board.position(), start));
    EXPECT_FALSE(board.canUndo());

    // Refusals leave the board as it was.
    EXPECT_EQ(board.PlayDraw({100.0f, 0.0f, 0}).refusal, TrialBoard::Refusal::TargetRefused);
    EXPECT_EQ(board.Play({0.0f, -1000.0f, 0}).refusal, TrialBoard::Refusal::ShotRefused);
    TrialBoard noPhysics(BoardPhysics{}, start);
    EXPECT_EQ(noPhysics.PlayHit(tee, 5.0f).refusal, TrialBoard::Refusal::NoPhysics);
    EXPECT_TRUE(Same(board.position(), start));
}

TEST(TrialBoard, LastStoneScoresTheEndAndTheNextStoneBeginsTheNext) {
    GameState start = EmptySheet(2);
    start.shotNumber = kStonesPerEnd - 1;
    start.turnFlag = kYellow;                // red began the end
    start.stones[1] = {kTeeX, kTeeY + 0.3f}; // yellow's
    TrialBoard board(kPhysics, start);
    // Red's stone stops short of the hog line: yellow scores one.
    ASSERT_TRUE(board.Play({0.0f, -1.0f, 0}).played.has_value());
    EXPECT_EQ(board.position().shotNumber, kStonesPerEnd);
    EXPECT_EQ(board.position().currentEnd, 0);
    EXPECT_EQ(board.position().endScores[0], -1);
    EXPECT_TRUE(HoldsStone(board.position().stones[1]));

    ASSERT_TRUE(board.PlayDraw({kTeeX, kTeeY, 0}).played.has_value());
    EXPECT_EQ(board.position().currentEnd, 1);
    EXPECT_EQ(board.position().shotNumber, 1);
    EXPECT_FALSE(HoldsStone(board.position().stones[1]));
    // Yellow scored, so yellow delivered the first stone of the new end.
    EXPECT_EQ(board.position().turnFlag, kRed);
    EXPECT_EQ(board.position().endScores[0], -1);

    // A game of two ends is over after the second.
    GameState last = board.position();
    last.currentEnd = 1;
    last.shotNumber = kStonesPerEnd;
    TrialBoard over(kPhysics, last);
    EXPECT_EQ(over.PlayDraw({kTeeX, kTeeY, 0}).refusal, TrialBoard::Refusal::GameOver);
}

} // namespace
} // namespace skerrow
