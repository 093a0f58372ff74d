// Every call of the library ends, and quickly: inputs that once ran forever,
// ran for tenths of a second or gave a stone that never moved are refused.

#include "test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

using namespace tarnwick::test;

namespace {

// Counts frames and stops a trace that runs past the most steps a shot may
// have, so that a shot that never ends fails instead of hanging.
struct FrameCount {
    int frames = 0;
};

int CountFrame(void* user, int, const GameState*) {
    auto* count = static_cast<FrameCount*>(user);
    ++count->frames;
    return count->frames <= TARNWICK_MAX_STEPS_PER_SHOT + 10;
}

GameState WithStones(int shotNumber, std::vector<StonePosition> stones) {
    GameState state = EmptyPosition();
    state.shotNumber = shotNumber;
    for (std::size_t k = 0; k < stones.size(); ++k) {
        state.stones[k] = stones[k];
    }
    return state;
}

GameState FifteenOnTheTee() {
    return WithStones(15, std::vector<StonePosition>(15, StonePosition{2.375f, 4.88f}));
}

} // namespace

// Each row once never ended, or ended with a wrong result; each is now
// refused at once by Simulation, SimulationSeeded and SimulationTrace alike,
// with nothing written.
TEST(Termination, ShotsThatNeverEndedAreRefused) {
    const ShotVec slow{0.0f, -0.5f, 0};
    const ShotVec draw = DrawToTee();
    const struct {
        const char* what;
        GameState position;
        ShotVec shot;
        float randomSize;
    } cases[] = {
        // The spread overflows to NaN: seven million frames of (nan, nan).
        {"random size 3e38", EmptyPosition(), {0.0f, -3.0f, 0}, 3e38f},
        {"random size FLT_MAX", EmptyPosition(), {0.0f, -3.0f, 0}, FLT_MAX},
        // A finite spread whose error throws the stone at 1e14 m/s.
        {"random size 1e30", EmptyPosition(), {0.0f, -3.0f, 0}, 1e30f},
        // Two stones on one point are pushed along a zero normal for ever.
        {"two stones on one point", WithStones(2, {{2.375f, 4.88f}, {2.375f, 4.88f}}), slow, 0.0f},
        {"two stones 1e-7 m apart", WithStones(2, {{0.2f, 5.0f}, {0.2000001f, 5.0f}}), slow, 0.0f},
        // Ended, but after a tenth of a second of a hundred touching pairs.
        {"fifteen stones on the tee", FifteenOnTheTee(), draw, 0.0f},
        // The engine's travel limit overflowed and left the stone where it was.
        {"velocity 2e21", EmptyPosition(), {0.0f, -2e21f, 0}, 0.0f},
        {"velocity 3e38 across", WithStones(1, {{2.375f, 4.68f}}), {3e38f, -3e38f, 1}, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ShotVec untouched{7.0f, 7.0f, 7};

        GameState simulated = c.position;
        ShotVec played = untouched;
        EXPECT_EQ(
            Simulation(&simulated, c.shot, c.randomSize, &played, TARNWICK_MAX_STEPS_PER_SHOT + 1),
            0);
        EXPECT_TRUE(SameBytes(simulated, c.position));
        EXPECT_EQ(played.vx, untouched.vx);

        GameState seeded = c.position;
        EXPECT_EQ(SimulationSeeded(&seeded, c.shot, c.randomSize, &played,
                                   TARNWICK_MAX_STEPS_PER_SHOT + 1, 99),
                  0);
        EXPECT_TRUE(SameBytes(seeded, c.position));
        EXPECT_EQ(played.vx, untouched.vx);

        GameState traced = c.position;
        FrameCount count;
        EXPECT_EQ(SimulationTrace(&traced, c.shot, c.randomSize, &played, CountFrame, &count), 0);
        EXPECT_EQ(count.frames, 0);
        EXPECT_TRUE(SameBytes(traced, c.position));
        EXPECT_EQ(played.vx, untouched.vx);
    }
}

// Targets no shot on a sheet can have once cost a trial of 60,000 steps or
// gave deliveries of thousands of metres per second; they are refused, with
// nothing written.
TEST(Termination, PlanningRefusesTargetsNoShotCanHave) {
    const struct {
        const char* what;
        ShotPos target;
        float weight; // for CreateHitShot; CreateShot takes the target alone
        bool drawRefused;
    } cases[] = {
        {"far across, beyond the house", {1e30f, 1e6f, 0}, 5.0f, true},
        {"far across, behind the delivery point", {1e30f, -1e6f, 1}, 5.0f, true},
        {"just off the target area", {2.375f, -42.6f, 0}, 12.0f, true},
        // A hit needs a stopping line far across: nearly level with the
        // delivery point, the delivery would be 190 m/s.
        {"nearly level with the delivery point", {2.0f, 41.2799f, 0}, 12.0f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShotVec result{7.0f, 7.0f, 7};
        EXPECT_EQ(CreateHitShot(c.target, c.weight, &result), 0);
        EXPECT_EQ(result.vx, 7.0f);
        EXPECT_EQ(CreateShot(c.target, &result), c.drawRefused ? 0 : 1);
        if (c.drawRefused) {
            EXPECT_EQ(result.vx, 7.0f);
        }
    }
}
