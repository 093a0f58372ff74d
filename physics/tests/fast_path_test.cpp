// The fast path against the always-stepped Box2D world: they must agree bit
// for bit, frame by frame, on match-like shots with and without collisions.

#include "box2d_access.h"
#include "lone_body.h"
#include "random_shots.h"
#include "shot_limits.h"
#include "shot_planning.h"
#include "shot_simulation.h"
#include "test_support.h"

#include <box2d/b2_body.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace tarnwick;
using namespace tarnwick::test;

#ifndef TARNWICK_COMPARED_SHOTS
#define TARNWICK_COMPARED_SHOTS 10000
#endif

namespace {

struct Outcome {
    int result = 0;
    ShotVec played{};
    GameState final{};
    std::vector<GameState> frames;
    int engineSteps = 0;
};

int Record(void* user, int, const GameState* frame) {
    static_cast<std::vector<GameState>*>(user)->push_back(*frame);
    return 1;
}

// Plays a shot with every frame recorded into `outcome`, whose frame storage
// is reused from shot to shot.
void Play(const GameState& position, ShotVec shot, float randomSize, std::uint64_t seed,
          Stepping stepping, Outcome& outcome) {
    StoneWorld world(stepping);
    outcome.final = position;
    outcome.frames.clear();
    outcome.result = PlayShot(world, outcome.final, shot, randomSize, seed, &outcome.played, -1,
                              Record, &outcome.frames);
    outcome.engineSteps = world.EngineSteps();
}

Outcome Play(const GameState& position, ShotVec shot, float randomSize, std::uint64_t seed,
             Stepping stepping) {
    Outcome outcome;
    Play(position, shot, randomSize, seed, stepping, outcome);
    return outcome;
}

bool SameFrames(const std::vector<GameState>& a, const std::vector<GameState>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(GameState)) == 0;
}

// The largest distance (m) between a stone's places in two records, and
// whether the same indexes hold stones.
double LargestDeviation(const GameState& a, const GameState& b) {
    double largest = 0.0;
    for (int k = 0; k < 16; ++k) {
        const bool inA = a.stones[k].x != 0.0f || a.stones[k].y != 0.0f;
        const bool inB = b.stones[k].x != 0.0f || b.stones[k].y != 0.0f;
        if (inA != inB) {
            return INFINITY;
        }
        largest = std::max(largest, std::hypot(static_cast<double>(a.stones[k].x) - b.stones[k].x,
                                               static_cast<double>(a.stones[k].y) - b.stones[k].y));
    }
    return largest;
}

// Every fourth random shot is replaced by a hit the library plans itself, on
// a stone of the position or a point of the house, at a weight from 0 to 16.
ShotVec WithPlannedHit(std::uint32_t index, const RandomShot& shot) {
    if (index % 4 != 3) {
        return shot.shot;
    }
    ShotPos target{2.375f + 0.3f * static_cast<float>(index % 7) - 0.9f, 5.5f,
                   static_cast<int>(index / 4 % 2)};
    for (int k = shot.position.shotNumber - 1; k >= 0; --k) {
        if (shot.position.stones[k].x != 0.0f) {
            target.x = shot.position.stones[k].x;
            target.y = shot.position.stones[k].y;
            break;
        }
    }
    ShotVec hit{};
    const float weight = static_cast<float>(index % 17);
    return CreateHitShot(target, weight, &hit) != 0 ? hit : shot.shot;
}

} // namespace

// The shots are compared in four shards, which ctest can run side by side.
class FastPathShard : public testing::TestWithParam<int> {};

TEST_P(FastPathShard, EqualsTheSteppedWorldFrameByFrameOnRandomShots) {
    constexpr int kShards = 4;
    constexpr int kShots = TARNWICK_COMPARED_SHOTS / kShards;
    const int first = GetParam() * kShots;
    constexpr float kRandomSizes[] = {0.0f, 0.02f, 0.1f, 0.5f};
    int identical = 0;
    int withinOneMillimetre = 0;
    int touching = 0;
    double worst = 0.0;
    int worstIndex = -1;
    int longest = 0;
    Outcome fast;
    Outcome stepped;
    for (int i = first; i < first + kShots; ++i) {
        const auto index = static_cast<std::uint32_t>(i);
        const RandomShot shot = RandomShots::Make(index);
        const ShotVec delivery = WithPlannedHit(index, shot);
        const float randomSize = kRandomSizes[i % 4];
        ASSERT_TRUE(IsPlayable(shot.position, delivery, randomSize)) << "shot " << i;

        Play(shot.position, delivery, randomSize, index, Stepping::FastPath, fast);
        Play(shot.position, delivery, randomSize, index, Stepping::AlwaysStepped, stepped);
        ASSERT_EQ(fast.result, 1) << "shot " << i;
        ASSERT_EQ(stepped.result, 1) << "shot " << i;
        const bool same = SameFrames(fast.frames, stepped.frames) &&
                          SameBytes(fast.final, stepped.final) &&
                          std::memcmp(&fast.played, &stepped.played, sizeof(ShotVec)) == 0;
        identical += same ? 1 : 0;
        EXPECT_TRUE(same) << "shot " << i << " differs between the paths";
        const double deviation = LargestDeviation(fast.final, stepped.final);
        withinOneMillimetre += deviation <= 1e-3 ? 1 : 0;
        if (deviation > worst) {
            worst = deviation;
            worstIndex = i;
        }
        touching += fast.engineSteps > 0 ? 1 : 0;
        longest = std::max(longest, static_cast<int>(stepped.frames.size()));
    }
    std::printf("fast path against stepped world, shots %d to %d (%d with stones touching): "
                "%d identical, %d within 1 mm, worst %.6g m (shot %d); longest shot %d steps\n",
                first, first + kShots - 1, touching, identical, withinOneMillimetre, worst,
                worstIndex, longest);
    EXPECT_EQ(identical, kShots);
    // The comparison is worth something only if many shots collide.
    EXPECT_GT(touching, kShots / 4);
}

INSTANTIATE_TEST_SUITE_P(FastPath, FastPathShard, testing::Range(0, 4));

TEST(FastPath, PlansHitsAsTheSteppedTrialDoes) {
    for (int i = 0; i < 400; ++i) {
        const ShotPos target{0.3f + 0.01f * static_cast<float>(i),
                             3.2f + 0.02f * static_cast<float>(i), i % 2};
        const float weight = static_cast<float>(i % 33) * 0.5f - 0.5f;
        const std::optional<ShotVec> first = WeightToTarget(target, weight);
        ASSERT_TRUE(first.has_value());
        ShotVec fast{};
        ShotVec stepped{};
        const bool fastReached = PlanHit(target, *first, fast, Stepping::FastPath);
        const bool steppedReached = PlanHit(target, *first, stepped, Stepping::AlwaysStepped);
        EXPECT_EQ(fastReached, steppedReached) << "target " << i;
        EXPECT_EQ(std::memcmp(&fast, &stepped, sizeof fast), 0) << "target " << i;
    }
}

TEST(FastPath, TheEngineRunsOnlyWhileStonesTouch) {
    const auto engineSteps = [](const GameState& position, ShotVec shot) {
        const Outcome outcome = Play(position, shot, 0.0f, 0, Stepping::FastPath);
        EXPECT_EQ(outcome.result, 1);
        return std::pair(outcome.engineSteps, static_cast<int>(outcome.frames.size()));
    };
    // A draw on an empty sheet, and past stones it never reaches: no engine
    // step, though the stones near each other have contacts in the engine.
    EXPECT_EQ(engineSteps(EmptyPosition(), DrawToTee()).first, 0);
    GameState spread = EmptyPosition();
    spread.shotNumber = 6;
    const StonePosition aside[] = {{0.4f, 4.0f}, {0.8f, 4.2f}, {4.3f, 4.0f},
                                   {3.9f, 4.3f}, {0.5f, 9.0f}, {4.2f, 9.0f}};
    std::copy(std::begin(aside), std::end(aside), spread.stones);
    const auto [besideSteps, besideFrames] = engineSteps(spread, DrawToTee());
    EXPECT_EQ(besideSteps, 0);
    EXPECT_GT(besideFrames, 1000);

    // Two frozen stones touch until they fall asleep together.
    GameState frozen = EmptyPosition();
    frozen.shotNumber = 2;
    frozen.stones[0] = {0.6f, 4.0f};
    frozen.stones[1] = {0.6f, 4.28f};
    const int frozenSteps = engineSteps(frozen, DrawToTee()).first;
    EXPECT_GT(frozenSteps, 0);
    EXPECT_LE(frozenSteps, 40);

    // A takeout runs in the engine for the collision only.
    GameState tee = EmptyPosition();
    tee.shotNumber = 1;
    tee.stones[0] = {2.375f, 4.88f};
    ShotVec hit{};
    ASSERT_EQ(CreateHitShot({2.375f, 4.88f, 0}, 12.0f, &hit), 1);
    const auto [takeoutSteps, takeoutFrames] = engineSteps(tee, hit);
    EXPECT_GT(takeoutSteps, 0);
    EXPECT_LT(takeoutSteps, takeoutFrames / 10);
}

TEST(FastPath, AClearedWorldPlaysLikeANewOne) {
    StoneWorld reused;
    for (std::uint32_t i = 0; i < 60; ++i) {
        const RandomShot shot = RandomShots::Make(i);
        GameState again = shot.position;
        GameState fresh = shot.position;
        reused.Clear();
        ASSERT_EQ(PlayShot(reused, again, shot.shot, 0.0f, i, nullptr, -1, nullptr, nullptr), 1);
        StoneWorld world;
        ASSERT_EQ(PlayShot(world, fresh, shot.shot, 0.0f, i, nullptr, -1, nullptr, nullptr), 1);
        EXPECT_TRUE(SameBytes(again, fresh)) << "shot " << i;
    }
}

namespace {

// Bit patterns, so that -0 and +0 differ.
std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

TEST(LoneBodyStep, RepeatsTheEnginesStepBitForBit) {
    const struct {
        const char* what;
        b2Vec2 velocity;
        float spin;
        int steps;
    } cases[] = {
        {"a draw", {-0.099074f, -2.955977f}, 0.066696f, 300},
        {"a velocity of -0 across", {-0.0f, -1.0f}, -0.066696f, 20},
        {"faster than the engine's largest step", {150.0f, -130.0f}, 0.1f, 10},
        {"spinning past the largest rotation", {1.0f, 0.0f}, 200.0f, 10},
        {"slow enough to fall asleep", {0.005f, 0.0f}, 0.0f, 40},
        {"slow but spinning", {0.005f, 0.0f}, 0.066696f, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StoneWorld engine(Stepping::AlwaysStepped);
        b2Body* body = engine.CreateStoneBody(2.375f, 20.0f);
        engine.Launch(body, c.velocity, c.spin);
        const LoneBodyStep step(*body, b2Vec2(0.0f, 0.0f), kTimeStep);
        LoneBodyState lone;
        lone.c = body->GetPosition();
        lone.v = body->GetLinearVelocity();
        lone.w = body->GetAngularVelocity();
        for (int i = 0; i < c.steps; ++i) {
            engine.Step();
            if (lone.awake) {
                step.Advance(lone);
            }
            const b2Sweep& sweep = box2d::Sweep(*body);
            ASSERT_EQ(lone.awake, body->IsAwake()) << "step " << i;
            ASSERT_EQ(Bits(lone.c.x), Bits(sweep.c.x)) << "step " << i;
            ASSERT_EQ(Bits(lone.c.y), Bits(sweep.c.y)) << "step " << i;
            ASSERT_EQ(Bits(lone.a), Bits(sweep.a)) << "step " << i;
            ASSERT_EQ(Bits(lone.v.x), Bits(body->GetLinearVelocity().x)) << "step " << i;
            ASSERT_EQ(Bits(lone.v.y), Bits(body->GetLinearVelocity().y)) << "step " << i;
            ASSERT_EQ(Bits(lone.w), Bits(body->GetAngularVelocity())) << "step " << i;
            ASSERT_EQ(Bits(lone.sleepTime), Bits(box2d::SleepTime(*body))) << "step " << i;
        }
    }
}
