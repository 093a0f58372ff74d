#include "shot_simulation.h"
#include "test_support.h"

#include <box2d/b2_body.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

float DistanceFromTee(StonePosition p) {
    return std::hypot(p.x - 2.375f, p.y - 4.88f);
}

// A stone `distance` from the tee, straight behind it towards the back line.
StonePosition BehindTee(float distance) {
    return {2.375f, 4.88f - distance};
}

// A stone `distance` from the tee, beside it on the tee line.
StonePosition BesideTee(float distance) {
    return {2.375f + distance, 4.88f};
}

// A slow delivery that stops far short of the house and touches nothing.
ShotVec ShortDelivery() {
    return {0.0f, -1.0f, 0};
}

} // namespace

TEST(Simulation, ZeroRandomSizePlaysTheDeliveryExactly) {
    const ShotVec shot = DrawToTee();
    GameState first = EmptyPosition();
    GameState second = EmptyPosition();
    ShotVec played{};
    ASSERT_EQ(Simulation(&first, shot, 0.0f, &played, -1), 1);
    ASSERT_EQ(Simulation(&second, shot, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(played.vx, shot.vx);
    EXPECT_EQ(played.vy, shot.vy);
    EXPECT_EQ(played.curl, shot.curl);
    EXPECT_TRUE(SameBytes(first, second));

    // The planned draw comes to rest close to the tee.
    EXPECT_LT(DistanceFromTee(first.stones[0]), 0.3f);
    EXPECT_EQ(first.shotNumber, 1);
    EXPECT_EQ(first.turnFlag, 1);
    EXPECT_EQ(first.endScores[0], 1);
}

TEST(Simulation, RandomSizeMovesTheDeliveryWithinItsBound) {
    const ShotVec shot = DrawToTee();
    GameState state = EmptyPosition();
    ShotVec played{};
    ASSERT_EQ(Simulation(&state, shot, 0.5f, &played, -1), 1);
    const DeliveryError spread = SetDeliveryError(0.5f);
    EXPECT_NE(played.vx, shot.vx);
    EXPECT_LE(std::fabs(played.vx - shot.vx), 6 * spread.sigmaX);
    EXPECT_LE(std::fabs(played.vy - shot.vy), 6 * spread.sigmaY);
}

TEST(Simulation, StepLimitZeroShowsTheStoneAtTheDeliveryPoint) {
    GameState state = EmptyPosition();
    state.shotNumber = 2;
    state.stones[0] = BehindTee(0.5f);
    state.stones[1] = BesideTee(1.0f);
    ASSERT_EQ(Simulation(&state, DrawToTee(), 0.0f, nullptr, 0), 1);
    EXPECT_EQ(state.stones[2].x, 2.375f);
    EXPECT_EQ(state.stones[2].y, 41.28f);
    EXPECT_EQ(state.stones[0].y, 4.88f - 0.5f);
    EXPECT_EQ(state.shotNumber, 3);
    EXPECT_EQ(state.turnFlag, 1);
    EXPECT_EQ(state.endScores[0], 1);
}

TEST(Simulation, SmallStepLimitsShowTheShotUnderWay) {
    GameState state = EmptyPosition();
    ASSERT_EQ(Simulation(&state, DrawToTee(), 0.0f, nullptr, 5), 1);
    EXPECT_NEAR(41.28f - state.stones[0].y, 5 * 2.956f / 60.0f, 2e-3f);
    EXPECT_EQ(state.shotNumber, 1);
}

TEST(Simulation, RestWithinTheLimitChangesNothingButTheDeliveryPlayed) {
    GameState state = EmptyPosition();
    const GameState before = state;
    ShotVec played{9.0f, 9.0f, 9};
    EXPECT_EQ(Simulation(&state, ShortDelivery(), 0.0f, &played, 5000), 0);
    EXPECT_TRUE(SameBytes(state, before));
    EXPECT_EQ(played.vy, -1.0f);
}

TEST(Simulation, ShortStoneIsWrittenBackThenDroppedByTheNextShot) {
    GameState state = EmptyPosition();
    ASSERT_EQ(Simulation(&state, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_NEAR(state.stones[0].y, 41.28f - 1.0f / (2 * 0.12009216f), 0.05f); // about y 37

    ASSERT_EQ(Simulation(&state, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.stones[0].x, 0.0f);
    EXPECT_EQ(state.stones[0].y, 0.0f);
    EXPECT_NE(state.stones[1].y, 0.0f);
}

TEST(Simulation, OnlyStoredStonesInsideTheStoredAreaAreInPlay) {
    GameState state = EmptyPosition();
    state.shotNumber = 4;
    state.stones[0] = {0.1f, 5.0f};    // over the side line
    state.stones[1] = {2.375f, 11.2f}; // not wholly beyond the hog line
    state.stones[2] = {2.375f, 11.1f}; // in play
    state.stones[3] = {0.0f, 0.0f};    // no stone
    state.stones[5] = BehindTee(0.3f); // beyond shotNumber: no stone
    ASSERT_EQ(Simulation(&state, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.stones[0].x, 0.0f);
    EXPECT_EQ(state.stones[1].y, 0.0f);
    EXPECT_EQ(state.stones[2].x, 2.375f);
    EXPECT_EQ(state.stones[2].y, 11.1f);
    EXPECT_EQ(state.stones[3].x, 0.0f);
    EXPECT_NE(state.stones[4].y, 0.0f); // the delivered stone
    EXPECT_EQ(state.stones[5].x, 0.0f);
    EXPECT_EQ(state.stones[5].y, 0.0f);
}

TEST(Simulation, StonesKnockedOutOfPlayReadZero) {
    // A takeout of a stone just in front of the back line sends it over.
    GameState state = EmptyPosition();
    state.shotNumber = 1;
    state.stones[0] = {2.375f, 3.3f};
    ShotVec hit{};
    ASSERT_EQ(CreateHitShot({2.375f, 3.3f, 0}, 14.0f, &hit), 1);
    ASSERT_EQ(Simulation(&state, hit, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.stones[0].x, 0.0f);
    EXPECT_EQ(state.stones[0].y, 0.0f);
}

TEST(Simulation, LastStoneOfTheEndScoresItAndOpensTheNext) {
    GameState state = EmptyPosition();
    state.currentEnd = 3;
    state.shotNumber = 15;
    state.turnFlag = 1;
    state.endScores[3] = -2;
    state.stones[0] = BehindTee(0.4f);
    state.stones[2] = BesideTee(0.8f);
    ASSERT_EQ(Simulation(&state, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.shotNumber, 0);
    EXPECT_EQ(state.currentEnd, 4);
    EXPECT_EQ(state.endScores[3], 2);
    EXPECT_EQ(state.endScores[4], 0);
    EXPECT_EQ(state.turnFlag, 0); // the side that delivered first does so again
    EXPECT_EQ(state.lastEnd, 10);

    // The tenth end has no entry after it: nothing is read or written past it.
    GameState last = EmptyPosition();
    last.currentEnd = 9;
    last.shotNumber = 15;
    last.turnFlag = 1;
    last.stones[1] = BehindTee(0.2f);
    ASSERT_EQ(Simulation(&last, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_EQ(last.currentEnd, 10);
    EXPECT_EQ(last.endScores[9], -1);
    EXPECT_EQ(last.turnFlag, 0);
}

TEST(Simulation, RefusesWhatItCannotPlayAndWritesNothing) {
    const ShotVec good = DrawToTee();
    struct Case {
        const char* what;
        int shotNumber;
        int currentEnd;
        ShotVec shot;
        float randomSize;
    };
    const Case cases[] = {
        {"end complete", 16, 0, good, 0.0f},
        {"shot number above 16", 17, 0, good, 0.0f},
        {"negative shot number", -1, 0, good, 0.0f},
        {"negative end", 0, -1, good, 0.0f},
        {"end past the score entries", 0, 10, good, 0.0f},
        {"NaN velocity x", 0, 0, {kNaN, -2.9f, 0}, 0.0f},
        {"infinite velocity y", 0, 0, {0.0f, -kInf, 0}, 0.0f},
        {"NaN random size", 0, 0, good, kNaN},
        {"infinite random size", 0, 0, good, kInf},
        {"faster than the speed limit", 0, 0, {0.0f, -100.01f, 0}, 0.0f},
        {"stones 0.14 apart", 3, 0, good, 0.0f},
    };
    for (const Case& c : cases) {
        GameState state = EmptyPosition();
        state.shotNumber = c.shotNumber;
        state.currentEnd = c.currentEnd;
        state.stones[0] = BehindTee(0.1f);
        state.stones[2] = BesideTee(0.14f); // beside stone 0 when three are in play
        state.stones[2].y -= 0.1f;
        const GameState before = state;
        ShotVec played{7.0f, 7.0f, 7};
        EXPECT_EQ(Simulation(&state, c.shot, c.randomSize, &played, -1), 0) << c.what;
        EXPECT_EQ(SimulationTrace(&state, c.shot, c.randomSize, &played, nullptr, nullptr), 0)
            << c.what;
        EXPECT_TRUE(SameBytes(state, before)) << c.what;
        EXPECT_EQ(played.vx, 7.0f) << c.what;
    }
    EXPECT_EQ(Simulation(nullptr, good, 0.0f, nullptr, -1), 0);
    EXPECT_EQ(SimulationTrace(nullptr, good, 0.0f, nullptr, nullptr, nullptr), 0);
}

TEST(Simulation, TheLimitsLeaveEveryRealShotAlone) {
    // Stones overlapping by just under half their width are pushed apart.
    GameState overlapping = EmptyPosition();
    overlapping.shotNumber = 2;
    overlapping.stones[0] = {2.0f, 5.0f};
    overlapping.stones[1] = {2.15f, 5.0f};
    ASSERT_EQ(Simulation(&overlapping, ShortDelivery(), 0.0f, nullptr, -1), 1);
    EXPECT_GE(overlapping.stones[1].x - overlapping.stones[0].x, 0.28f);

    // The fastest delivery allowed is played, out through the back.
    GameState fastest = EmptyPosition();
    ASSERT_EQ(Simulation(&fastest, {0.0f, -100.0f, 0}, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(fastest.stones[0].y, 0.0f);

    // A random size of a metre is wild but still played.
    GameState wild = EmptyPosition();
    EXPECT_EQ(Simulation(&wild, DrawToTee(), 1.0f, nullptr, -1), 1);

    // Targets at the corners of the target area are planned.
    ShotVec shot{};
    EXPECT_EQ(CreateShot({-4.75f, -42.5f, 0}, &shot), 1);
    EXPECT_EQ(CreateShot({9.5f, 85.0f, 1}, &shot), 1);
    EXPECT_EQ(CreateHitShot({4.6f, 3.1f, 1}, 16.0f, &shot), 1);
}

namespace {

// CountEnd over stones placed at rest at the given positions, by index.
int CountOf(std::initializer_list<StonePosition> stones) {
    StoneWorld world;
    StoneList& list = world.List();
    for (const StonePosition& p : stones) {
        list.entries[list.count++] =
            (p.x == 0.0f && p.y == 0.0f) ? nullptr : world.CreateStoneBody(p.x, p.y);
    }
    return CountEnd(world);
}

} // namespace

TEST(CountEnd, TheNearestSideCountsItsStonesInsideTheOthersBest) {
    const StonePosition none{0.0f, 0.0f};
    // Even stones at 0.3 and 1.2, odd at 0.9: one for the even side.
    EXPECT_EQ(CountOf({BehindTee(0.3f), BesideTee(0.9f), BesideTee(-1.2f)}), 1);
    // With the odd stone at 0.2 it is one for the odd side.
    EXPECT_EQ(CountOf({BehindTee(0.3f), BesideTee(0.2f), BesideTee(-1.2f)}), -1);
    // Both even stones count when the odd side has nothing within 1.98.
    EXPECT_EQ(CountOf({BehindTee(0.3f), BesideTee(1.99f), BesideTee(-1.2f)}), 2);
    // Nobody within 1.98, or equally near: nobody counts.
    EXPECT_EQ(CountOf({BehindTee(1.99f), {2.375f, 20.0f}}), 0);
    EXPECT_EQ(CountOf({BehindTee(0.5f), BesideTee(0.5f)}), 0);
    // Unlisted stones do not count.
    EXPECT_EQ(CountOf({none, BesideTee(0.5f), BehindTee(0.3f), BesideTee(-0.7f)}), 1);
    EXPECT_EQ(CountOf({none, BesideTee(0.5f)}), -1);
    EXPECT_EQ(CountOf({}), 0);
}
