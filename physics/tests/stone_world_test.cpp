#include "sheet.h"
#include "stone_world.h"

#include <box2d/b2_body.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace tarnwick;
using tarnwick::Stepping;

namespace {

b2Body* AddStone(StoneWorld& world, float x, float y, b2Vec2 velocity = {0.0f, 0.0f},
                 float spin = 0.0f) {
    StoneList& list = world.List();
    b2Body* body = world.CreateStoneBody(x, y);
    body->SetLinearVelocity(velocity);
    body->SetAngularVelocity(spin);
    list.entries[list.count++] = body;
    return body;
}

struct RestSteps {
    int stopped = -1; // first step after which the stone had no velocity
    int asleep = -1;  // first step after which it was asleep
};

// Runs the stepping loop by hand and notes when the stone stopped and slept.
RestSteps WatchUntilAsleep(StoneWorld& world, b2Body* stone) {
    RestSteps seen;
    world.IceStep(kFirstHalfSlice);
    for (int step = 1; step <= 400 && seen.asleep < 0; ++step) {
        world.Step();
        world.IceStep(kFrictionSlice);
        world.SyncBodies();
        if (seen.stopped < 0 && stone->GetLinearVelocity().LengthSquared() == 0.0f) {
            seen.stopped = step;
        }
        if (!stone->IsAwake()) {
            seen.asleep = step;
        }
    }
    return seen;
}

// Head-on hit of a resting stone by one moving at `speed`, engine steps only.
std::pair<float, float> HeadOnSpeedsAfter(float speed) {
    StoneWorld world;
    b2Body* moving = AddStone(world, 2.375f, 20.0f, {0.0f, -speed});
    b2Body* resting = AddStone(world, 2.375f, 20.0f - 0.30f);
    for (int i = 0; i < 10; ++i) {
        world.Step();
    }
    return {-moving->GetLinearVelocity().y, -resting->GetLinearVelocity().y};
}

} // namespace

TEST(StoneWorld, StoppedStoneLosesSpinAndSleepsThirtyStepsLater) {
    StoneWorld world;
    b2Body* stone = AddStone(world, 2.375f, 8.0f, {0.0f, -0.0015f}, 0.066696f);
    const RestSteps seen = WatchUntilAsleep(world, stone);
    EXPECT_EQ(seen.stopped, 1);
    EXPECT_EQ(stone->GetAngularVelocity(), 0.0f);
    EXPECT_EQ(seen.asleep - seen.stopped, 30);
}

TEST(StoneWorld, SlowingDownDoesNotRestartTheSleepCount) {
    // Without spin, a stone below the sleep tolerance (0.01 m/s) counts towards
    // sleep while the ice still slows it: it sleeps 30 steps after the engine
    // first saw it slow, not 30 steps after it stopped.
    StoneWorld world;
    b2Body* stone = AddStone(world, 2.375f, 8.0f, {0.0f, -0.009f});
    const RestSteps seen = WatchUntilAsleep(world, stone);
    EXPECT_EQ(seen.stopped, 4);
    EXPECT_EQ(seen.asleep, 30);
}

TEST(StoneWorld, SlowContactsDoNotBounceFastOnesDo) {
    const auto [slowStriker, slowStruck] = HeadOnSpeedsAfter(0.6f);
    EXPECT_NEAR(slowStriker, 0.3f, 0.02f);
    EXPECT_NEAR(slowStruck, 0.3f, 0.02f);

    const auto [fastStriker, fastStruck] = HeadOnSpeedsAfter(1.5f);
    EXPECT_NEAR(fastStriker, 0.0f, 0.02f);
    EXPECT_NEAR(fastStruck, 1.5f, 0.02f);
}

TEST(StoneWorld, SpinSignAloneDecidesThePath) {
    const auto restingPlace = [](float spin) {
        StoneWorld world;
        b2Body* stone = AddStone(world, kDeliveryX, kDeliveryY, {0.0f, -2.9568f}, spin);
        EXPECT_EQ(world.RunUntilRest(-1), RunOutcome::AtRest);
        return stone->GetPosition();
    };
    const b2Vec2 straight = restingPlace(0.0f);
    EXPECT_NEAR(straight.x, kDeliveryX, 1e-4f);
    EXPECT_NEAR(kDeliveryY - straight.y, 36.4f, 0.1f);

    const b2Vec2 curled = restingPlace(0.066696f);
    EXPECT_GT(curled.x, kDeliveryX + 1.0f); // bends towards +x
    const b2Vec2 fastSpin = restingPlace(5.0f);
    EXPECT_EQ(fastSpin.x, curled.x);
    EXPECT_EQ(fastSpin.y, curled.y);

    const b2Vec2 mirrored = restingPlace(-0.066696f);
    EXPECT_NEAR(mirrored.x - kDeliveryX, kDeliveryX - curled.x, 1e-3f);
    EXPECT_NEAR(mirrored.y, curled.y, 1e-3f);
}

TEST(StoneWorld, StepLimitsStopTheLoopEarly) {
    StoneWorld world;
    b2Body* stone = AddStone(world, kDeliveryX, kDeliveryY, {0.0f, -2.9568f}, 0.066696f);
    EXPECT_EQ(world.RunUntilRest(0), RunOutcome::StepLimitReached);
    EXPECT_EQ(stone->GetPosition().y, kDeliveryY); // only the half slice was applied
    EXPECT_NEAR(stone->GetLinearVelocity().y, -2.9568f + kFirstHalfSlice, 1e-6f);

    StoneWorld other;
    b2Body* again = AddStone(other, kDeliveryX, kDeliveryY, {0.0f, -2.9568f}, 0.066696f);
    EXPECT_EQ(other.RunUntilRest(5), RunOutcome::StepLimitReached);
    EXPECT_NEAR(kDeliveryY - again->GetPosition().y, 5 * 2.9568f / 60.0f, 1e-3f);
}

TEST(StoneWorld, RestWithinTheLimitIsReported) {
    StoneWorld world;
    AddStone(world, 2.375f, 8.0f, {0.0f, -0.0015f}, 0.066696f);
    EXPECT_EQ(world.RunUntilRest(100), RunOutcome::AtRest);
}

TEST(StoneWorld, StonesLeavingThePlayingAreaAreUnlisted) {
    StoneWorld world;
    AddStone(world, 2.375f, 3.2f, {0.0f, -1.0f}); // over the back line
    AddStone(world, 4.6f, 8.0f, {1.0f, 0.0f});    // across a side line
    AddStone(world, 2.375f, 8.0f);                // stays
    EXPECT_EQ(world.RunUntilRest(-1), RunOutcome::AtRest);
    EXPECT_EQ(world.List().entries[0], nullptr);
    EXPECT_EQ(world.List().entries[1], nullptr);
    EXPECT_NE(world.List().entries[2], nullptr);
}

TEST(StoneWorld, AStoneOutsideStaysListedWhileALowerOneMoves) {
    StoneWorld world;
    AddStone(world, 2.375f, 30.0f, {0.0f, -1.0f}); // moves for about 500 steps
    AddStone(world, 4.7f, 8.0f, {1.0f, 0.0f});     // leaves at once
    EXPECT_EQ(world.RunUntilRest(60), RunOutcome::StepLimitReached);
    EXPECT_NE(world.List().entries[1], nullptr);
    EXPECT_EQ(world.RunUntilRest(-1), RunOutcome::AtRest);
    EXPECT_EQ(world.List().entries[1], nullptr);
}

namespace {

struct StepCounter final : tarnwick::StepObserver {
    int steps = 0;
    bool BeforeStep(int) override {
        ++steps;
        return true;
    }
};

} // namespace

TEST(StoneWorld, AShotThatNeverRestsEndsAtTheStepCap) {
    for (const Stepping stepping : {Stepping::FastPath, Stepping::AlwaysStepped}) {
        SCOPED_TRACE(stepping == Stepping::FastPath ? "fast path" : "always stepped");
        // Two stones on one point are pushed apart along a zero normal, for
        // ever: the engine never lets them sleep.
        const auto coincident = [stepping] {
            auto world = std::make_unique<StoneWorld>(stepping);
            AddStone(*world, 2.0f, 5.0f);
            AddStone(*world, 2.0f, 5.0f);
            return world;
        };
        auto capped = coincident();
        StepCounter counter;
        EXPECT_EQ(capped->RunUntilRest(-1, &counter, 120), RunOutcome::AtRest);
        EXPECT_EQ(counter.steps, 120);
        EXPECT_TRUE(capped->IsAwake(capped->List().entries[0]));

        // Within a step limit the cap reads as rest, as a real rest does.
        EXPECT_EQ(coincident()->RunUntilRest(121, nullptr, 120), RunOutcome::AtRest);
        EXPECT_EQ(coincident()->RunUntilRest(119, nullptr, 120), RunOutcome::StepLimitReached);

        auto library = coincident();
        StepCounter full;
        EXPECT_EQ(library->RunUntilRest(-1, &full), RunOutcome::AtRest);
        EXPECT_EQ(full.steps, kMaxStepsPerShot);
    }
}
