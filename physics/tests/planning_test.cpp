#include "ice.h"
#include "shot_planning.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tarnwick;
using namespace tarnwick::test;

TEST(CreateShot, AimsBesideTheTargetOnTheCurlsSide) {
    ShotVec shot{};
    ASSERT_EQ(CreateShot({2.375f, 4.88f, 0}, &shot), 1);
    EXPECT_NEAR(shot.vx, -0.099074f, 1e-5f);
    EXPECT_NEAR(shot.vy, -2.955977f, 1e-5f);
    EXPECT_EQ(shot.curl, 0);

    ASSERT_EQ(CreateShot({2.375f, 4.88f, 1}, &shot), 1);
    EXPECT_NEAR(shot.vx, 0.099074f, 1e-5f);
    EXPECT_NEAR(shot.vy, -2.955977f, 1e-5f);
    EXPECT_EQ(shot.curl, 1);

    // Negative curl aims as 0 and is copied unchanged.
    ShotVec negative{};
    ASSERT_EQ(CreateShot({2.375f, 4.88f, -1}, &negative), 1);
    EXPECT_EQ(negative.vx, DrawToTee(0).vx);
    EXPECT_EQ(negative.curl, -1);

    // Off the tee the aim point is turned by the target's offset.
    ASSERT_EQ(CreateShot({3.0f, 6.0f, 0}, &shot), 1);
    const b2Vec2 aimed = StraightDrawVelocity(1.817520f, 5.979063f);
    EXPECT_NEAR(shot.vx, aimed.x, 1e-5f);
    EXPECT_NEAR(shot.vy, aimed.y, 1e-5f);
}

TEST(CreateShot, RefusesANullResultOrNonFiniteTarget) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ShotVec shot{1.0f, 2.0f, 3};
    EXPECT_EQ(CreateShot({2.375f, 4.88f, 0}, nullptr), 0);
    EXPECT_EQ(CreateShot({nan, 4.88f, 0}, &shot), 0);
    EXPECT_EQ(CreateShot({2.375f, std::numeric_limits<float>::infinity(), 0}, &shot), 0);
    EXPECT_EQ(CreateShot({3e38f, -3e38f, 0}, &shot), 0); // overflows on the way
    EXPECT_EQ(shot.vx, 1.0f);
    EXPECT_EQ(shot.curl, 3);
}

TEST(WeightToTarget, WeightsMapOntoStoppingLines) {
    const struct {
        float weight;
        float line;
    } table[] = {{0.0f, 11.28f}, {1.0f, 10.52f}, {3.0f, 7.48f},   {3.001f, 7.46924f}, {4.0f, 6.71f},
                 {7.0f, 4.88f},  {10.0f, 3.05f}, {16.0f, -6.07f}, {40.0f, -6.07f}};
    for (const auto& row : table) {
        EXPECT_NEAR(StoppingLineForWeight(row.weight), row.line, 1e-4f) << row.weight;
    }
}

TEST(WeightToTarget, DrawsToTheStoppingLineThroughTheTarget) {
    // Weight 7 on the tee is a draw to the tee.
    const ShotVec tee = *WeightToTarget({2.375f, 4.88f, 1}, 7.0f);
    EXPECT_NEAR(tee.vx, DrawToTee(1).vx, 1e-5f);
    EXPECT_NEAR(tee.vy, DrawToTee(1).vy, 1e-5f);

    // Off the centre line the stopping point stays on the line from the
    // delivery point through the target.
    ShotVec expected{};
    const float x = 2.375f + (3.0f - 2.375f) * (7.48f - 41.28f) / (6.0f - 41.28f);
    CreateShot({x, 7.48f, 0}, &expected);
    const ShotVec off = *WeightToTarget({3.0f, 6.0f, 0}, 3.0f);
    EXPECT_NEAR(off.vx, expected.vx, 1e-5f);
    EXPECT_NEAR(off.vy, expected.vy, 1e-5f);

    // A negative weight is a plain draw; a target level with the delivery
    // point has no stopping line.
    EXPECT_EQ(WeightToTarget({3.0f, 6.0f, 0}, -1.0f)->vx, PlanDraw({3.0f, 6.0f, 0}).vx);
    EXPECT_FALSE(WeightToTarget({3.0f, 41.28f, 0}, 5.0f).has_value());
}

TEST(CreateHitShot, PlansAHitThroughTheTarget) {
    ShotVec hit{};
    ASSERT_EQ(CreateHitShot({2.375f, 4.88f, 0}, 12.0f, &hit), 1);
    EXPECT_LT(hit.vy, DrawToTee().vy); // faster than the draw
    EXPECT_EQ(hit.curl, 0);

    // Played on a stone lying on the tee, it removes it.
    GameState state = EmptyPosition();
    state.shotNumber = 1;
    state.stones[0] = {2.375f, 4.88f};
    ASSERT_EQ(Simulation(&state, hit, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.stones[0].x, 0.0f);

    // The other curl hits it too.
    ASSERT_EQ(CreateHitShot({2.375f, 4.88f, 1}, 12.0f, &hit), 1);
    state = EmptyPosition();
    state.shotNumber = 1;
    state.stones[0] = {2.375f, 4.88f};
    ASSERT_EQ(Simulation(&state, hit, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.stones[0].x, 0.0f);
}

TEST(CreateHitShot, TooLittleWeightLeavesTheFirstDelivery) {
    ShotVec hit{};
    EXPECT_EQ(CreateHitShot({2.375f, 4.88f, 0}, 0.0f, &hit), 0);
    const ShotVec first = *WeightToTarget({2.375f, 4.88f, 0}, 0.0f);
    EXPECT_EQ(hit.vx, first.vx);
    EXPECT_EQ(hit.vy, first.vy);
}

TEST(CreateHitShot, ATargetPassedInTheFirstStepIsStillPlanned) {
    ShotVec hit{};
    EXPECT_EQ(CreateHitShot({2.375f, 41.25f, 0}, 12.0f, &hit), 1);
    EXPECT_TRUE(std::isfinite(hit.vx) && std::isfinite(hit.vy));
    EXPECT_EQ(CreateHitShot({2.375f, 41.28f, 0}, -1.0f, &hit), 1);
    EXPECT_TRUE(std::isfinite(hit.vx) && std::isfinite(hit.vy));
}

TEST(CreateHitShot, RefusesWhatItCannotPlan) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ShotVec hit{1.0f, 2.0f, 3};
    EXPECT_EQ(CreateHitShot({2.375f, 4.88f, 0}, 12.0f, nullptr), 0);
    EXPECT_EQ(CreateHitShot({nan, 4.88f, 0}, 12.0f, &hit), 0);
    EXPECT_EQ(CreateHitShot({2.375f, 4.88f, 0}, nan, &hit), 0);
    EXPECT_EQ(CreateHitShot({2.375f, 4.88f, 0}, std::numeric_limits<float>::infinity(), &hit), 0);
    EXPECT_EQ(CreateHitShot({3.0f, 41.28f, 0}, 12.0f, &hit), 0);  // level with the delivery point
    EXPECT_EQ(CreateHitShot({3e38f, -3e38f, 0}, 12.0f, &hit), 0); // overflows on the way
    EXPECT_EQ(hit.vx, 1.0f);
    EXPECT_EQ(hit.curl, 3);
}
