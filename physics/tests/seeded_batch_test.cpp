// SimulationSeeded and SimulationBatch: errors that repeat by seed, follow the
// documented model, and batches that equal single calls on any thread count.

#include "mt19937.h"
#include "random_shots.h"
#include "shot_simulation.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

bool SameShot(const ShotVec& a, const ShotVec& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Seeded {
    int result;
    GameState state;
    ShotVec played;
};

Seeded PlaySeeded(const GameState& position, ShotVec shot, float randomSize, std::uint64_t seed,
                  int steps = -1) {
    Seeded out{0, position, {}};
    out.result = SimulationSeeded(&out.state, shot, randomSize, &out.played, steps, seed);
    return out;
}

// A house with a stone on the tee and two guards, for shots that collide.
GameState Guarded() {
    GameState state = EmptyPosition();
    state.shotNumber = 3;
    state.stones[0] = {2.375f, 4.88f};
    state.stones[1] = {2.2f, 8.5f};
    state.stones[2] = {2.7f, 7.9f};
    return state;
}

} // namespace

TEST(SimulationSeeded, RepeatsAcrossCallsAndThreadsAndDiffersBetweenSeeds) {
    const GameState position = Guarded();
    const ShotVec draw = DrawToTee();
    const Seeded first = PlaySeeded(position, draw, 0.3f, 1234);
    ASSERT_EQ(first.result, 1);
    const Seeded again = PlaySeeded(position, draw, 0.3f, 1234);
    EXPECT_TRUE(SameBytes(first.state, again.state));
    EXPECT_TRUE(SameShot(first.played, again.played));

    std::vector<Seeded> onThreads(4);
    std::vector<std::thread> threads;
    for (Seeded& slot : onThreads) {
        threads.emplace_back([&slot, &position, draw] {
            for (int round = 0; round < 3; ++round) {
                slot = PlaySeeded(position, draw, 0.3f, 1234);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const Seeded& other : onThreads) {
        EXPECT_TRUE(SameBytes(first.state, other.state));
        EXPECT_TRUE(SameShot(first.played, other.played));
    }

    // Other seeds, including ones that differ only in their high 32 bits,
    // draw other errors and so other results.
    for (const std::uint64_t seed : {1235ULL, 1234ULL + (1ULL << 32), 1234ULL << 32}) {
        const Seeded other = PlaySeeded(position, draw, 0.3f, seed);
        EXPECT_NE(other.played.vx, first.played.vx) << seed;
        EXPECT_FALSE(SameBytes(other.state, first.state)) << seed;
    }

    // The key is {low word, high word} of the seed, through init_by_array.
    Mt19937 generator;
    const std::uint32_t key[] = {0x89abcdefU, 0x01234567U};
    generator.InitByArray(key);
    const DeliveryError spread = SetDeliveryError(0.3f);
    const float e1 = NormalNoise(generator, spread.sigmaX);
    const float e2 = NormalNoise(generator, spread.sigmaY);
    const Seeded keyed = PlaySeeded(position, draw, 0.3f, 0x0123456789abcdefULL, 0);
    EXPECT_EQ(keyed.played.vx, draw.vx + e1);
    EXPECT_EQ(keyed.played.vy, draw.vy + e2);

    // Without error the seed does not matter, and Simulation plays the same.
    GameState plain = position;
    ASSERT_EQ(Simulation(&plain, draw, 0.0f, nullptr, -1), 1);
    EXPECT_TRUE(SameBytes(PlaySeeded(position, draw, 0.0f, 5).state, plain));
    EXPECT_TRUE(SameBytes(PlaySeeded(position, draw, 0.0f, 6).state, plain));
}

TEST(SimulationSeeded, ErrorsFollowTheDocumentedModel) {
    // The header's figures for a random size of 0.1.
    const DeliveryError documented = SetDeliveryError(0.1f);
    EXPECT_NEAR(documented.sigmaX, 0.00813f, 0.000005f);
    EXPECT_NEAR(documented.sigmaY, 0.00407f, 0.000005f);

    const float randomSize = 0.25f;
    const DeliveryError spread = SetDeliveryError(randomSize);
    const ShotVec shot{0.0f, -3.0f, 1};
    constexpr int kSeeds = 4000;
    double sum[2] = {};
    double squares[2] = {};
    double product = 0.0;
    for (int seed = 0; seed < kSeeds; ++seed) {
        // Step limit 0: the delivery is drawn and the shot stops at once.
        const Seeded s = PlaySeeded(EmptyPosition(), shot, randomSize, 777000 + seed, 0);
        ASSERT_EQ(s.result, 1);
        EXPECT_EQ(s.played.curl, 1);
        const double e[2] = {static_cast<double>(s.played.vx) - shot.vx,
                             static_cast<double>(s.played.vy) - shot.vy};
        ASSERT_LE(std::fabs(e[0]), 6.0 * spread.sigmaX);
        ASSERT_LE(std::fabs(e[1]), 6.0 * spread.sigmaY);
        for (int axis = 0; axis < 2; ++axis) {
            sum[axis] += e[axis];
            squares[axis] += e[axis] * e[axis];
        }
        product += e[0] * e[1];
    }
    const double sigma[2] = {spread.sigmaX, spread.sigmaY};
    for (int axis = 0; axis < 2; ++axis) {
        const double mean = sum[axis] / kSeeds;
        const double deviation = std::sqrt(squares[axis] / kSeeds - mean * mean);
        // Four standard errors of the mean; the spread within 6 %.
        EXPECT_LT(std::fabs(mean), 4.0 * sigma[axis] / std::sqrt(kSeeds)) << "axis " << axis;
        EXPECT_NEAR(deviation / sigma[axis], 1.0, 0.06) << "axis " << axis;
    }
    // The two axes are drawn independently.
    const double correlation =
        (product / kSeeds - sum[0] / kSeeds * sum[1] / kSeeds) / (sigma[0] * sigma[1]);
    EXPECT_LT(std::fabs(correlation), 0.08);
}

namespace {

// A batch of match-like shots with refused entries among them.
struct BatchInput {
    std::vector<GameState> states;
    std::vector<ShotVec> shots;
};

BatchInput MixedShots(int count) {
    BatchInput input;
    for (int i = 0; i < count; ++i) {
        const RandomShot shot = RandomShots::Make(static_cast<std::uint32_t>(5000 + i));
        input.states.push_back(shot.position);
        input.shots.push_back(shot.shot);
    }
    input.states[3].shotNumber = 16;            // the end is complete
    input.shots[7] = ShotVec{0.0f, -150.0f, 0}; // faster than any shot
    input.states[11].shotNumber = 2;            // two stones on one point
    input.states[11].stones[0] = {2.0f, 5.0f};
    input.states[11].stones[1] = {2.0f, 5.0f};
    input.shots[12] = ShotVec{NAN, -3.0f, 0}; // not a number
    return input;
}

} // namespace

TEST(SimulationBatch, EqualsSingleSeededCallsOnAnyNumberOfThreads) {
    constexpr int kCount = 40;
    constexpr float kRandomSize = 0.15f;
    constexpr std::uint64_t kSeed = 0xfffffffffffffff0ULL; // seed + i wraps past 2^64
    const BatchInput input = MixedShots(kCount);

    std::vector<GameState> expected(kCount);
    std::vector<ShotVec> expectedPlayed(kCount);
    int expectedRefused = 0;
    for (int i = 0; i < kCount; ++i) {
        const Seeded single = PlaySeeded(input.states[i], input.shots[i], kRandomSize,
                                         kSeed + static_cast<std::uint64_t>(i));
        expected[i] = single.state;
        expectedPlayed[i] = single.result == 1 ? single.played : ShotVec{0.0f, 0.0f, 0};
        expectedRefused += single.result == 1 ? 0 : 1;
    }
    ASSERT_EQ(expectedRefused, 4);

    for (const int threads : {1, 2, 4, 0}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        std::vector<GameState> results(kCount);
        std::vector<ShotVec> played(kCount, ShotVec{9.0f, 9.0f, 9});
        EXPECT_EQ(SimulationBatch(input.states.data(), input.shots.data(), kCount, kRandomSize,
                                  kSeed, results.data(), played.data(), threads),
                  expectedRefused);
        for (int i = 0; i < kCount; ++i) {
            EXPECT_TRUE(SameBytes(results[i], expected[i])) << "entry " << i;
            EXPECT_TRUE(SameShot(played[i], expectedPlayed[i])) << "entry " << i;
        }
    }

    // Without `played`, and in place.
    std::vector<GameState> inPlace = input.states;
    EXPECT_EQ(SimulationBatch(inPlace.data(), input.shots.data(), kCount, kRandomSize, kSeed,
                              inPlace.data(), nullptr, 3),
              expectedRefused);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_TRUE(SameBytes(inPlace[i], expected[i])) << "entry " << i;
    }
}

TEST(SimulationBatch, RefusesBadArgumentsWritingNothing) {
    const GameState state = EmptyPosition();
    const ShotVec shot = DrawToTee();
    GameState result = Guarded();
    ShotVec played{9.0f, 9.0f, 9};
    const GameState before = result;
    EXPECT_EQ(SimulationBatch(nullptr, &shot, 1, 0.0f, 0, &result, &played, 1), -1);
    EXPECT_EQ(SimulationBatch(&state, nullptr, 1, 0.0f, 0, &result, &played, 1), -1);
    EXPECT_EQ(SimulationBatch(&state, &shot, 1, 0.0f, 0, nullptr, &played, 1), -1);
    EXPECT_EQ(SimulationBatch(&state, &shot, -1, 0.0f, 0, &result, &played, 1), -1);
    EXPECT_EQ(SimulationBatch(&state, &shot, 1, 0.0f, 0, &result, &played, -2), -1);
    EXPECT_TRUE(SameBytes(result, before));
    EXPECT_EQ(played.vx, 9.0f);

    // An empty batch has nothing to refuse; a refused random size refuses all.
    EXPECT_EQ(SimulationBatch(&state, &shot, 0, 0.0f, 0, &result, &played, 4), 0);
    EXPECT_EQ(SimulationBatch(&state, &shot, 1, NAN, 0, &result, &played, 1), 1);
    EXPECT_TRUE(SameBytes(result, state));
    EXPECT_TRUE(SameShot(played, ShotVec{0.0f, 0.0f, 0}));
}
