#include "test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>
#include <vector>

using namespace tarnwick::test;

namespace {

struct Recorder {
    std::vector<GameState> frames;
    int stopAfter = -1; // frames to accept before stopping, -1 for all
};

int Record(void* user, int step, const GameState* frame) {
    auto* recorder = static_cast<Recorder*>(user);
    EXPECT_EQ(step, static_cast<int>(recorder->frames.size()));
    recorder->frames.push_back(*frame);
    return recorder->stopAfter < 0 ||
           static_cast<int>(recorder->frames.size()) < recorder->stopAfter;
}

int StonesInPlay(const GameState& state) {
    int count = 0;
    for (const StonePosition& p : state.stones) {
        count += (p.x != 0.0f || p.y != 0.0f) ? 1 : 0;
    }
    return count;
}

ShotVec TakeoutOfTheTee() {
    ShotVec hit{};
    CreateHitShot({2.375f, 4.88f, 0}, 12.0f, &hit);
    return hit;
}

// Every frame of the trace equals what Simulation writes for that step limit,
// the call after the last frame is the first that Simulation refuses, and the
// end result equals Simulation without a limit.
void ExpectTraceMatchesSimulation(const GameState& start, ShotVec shot) {
    Recorder recorder;
    GameState traced = start;
    ShotVec played{};
    ASSERT_EQ(SimulationTrace(&traced, shot, 0.0f, &played, Record, &recorder), 1);
    EXPECT_EQ(played.vx, shot.vx);
    const int frames = static_cast<int>(recorder.frames.size());
    ASSERT_GT(frames, 100);

    for (int k = 0; k < frames; ++k) {
        GameState state = start;
        ASSERT_EQ(Simulation(&state, shot, 0.0f, nullptr, k), 1) << "step limit " << k;
        ASSERT_TRUE(SameBytes(state, recorder.frames[k])) << "step limit " << k;
    }
    GameState after = start;
    EXPECT_EQ(Simulation(&after, shot, 0.0f, nullptr, frames), 0);
    EXPECT_TRUE(SameBytes(after, start));

    ASSERT_EQ(Simulation(&after, shot, 0.0f, nullptr, -1), 1);
    EXPECT_TRUE(SameBytes(after, traced));
}

} // namespace

TEST(SimulationTrace, FramesOfADrawEqualSimulationAtEveryStepLimit) {
    ExpectTraceMatchesSimulation(EmptyPosition(), DrawToTee());
}

TEST(SimulationTrace, FramesOfATakeoutEqualSimulationAtEveryStepLimit) {
    const GameState house = CrowdedHouse();
    GameState after = house;
    ASSERT_EQ(Simulation(&after, TakeoutOfTheTee(), 0.0f, nullptr, -1), 1);
    ASSERT_LT(StonesInPlay(after), 16); // struck stones went out of play
    ASSERT_EQ(after.currentEnd, 1);
    ExpectTraceMatchesSimulation(house, TakeoutOfTheTee());
}

TEST(SimulationTrace, TheCallerCanStopIt) {
    Recorder recorder;
    recorder.stopAfter = 10;
    GameState state = EmptyPosition();
    const GameState before = state;
    EXPECT_EQ(SimulationTrace(&state, DrawToTee(), 0.0f, nullptr, Record, &recorder), 0);
    EXPECT_EQ(recorder.frames.size(), 10U);
    EXPECT_TRUE(SameBytes(state, before));
}

TEST(SimulationTrace, WithoutACallbackItPlaysTheShot) {
    GameState traced = EmptyPosition();
    GameState simulated = EmptyPosition();
    ASSERT_EQ(SimulationTrace(&traced, DrawToTee(), 0.0f, nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(Simulation(&simulated, DrawToTee(), 0.0f, nullptr, -1), 1);
    EXPECT_TRUE(SameBytes(traced, simulated));
}

TEST(Concurrency, ThreadsSimulatingAtOnceGetTheSingleThreadedResults) {
    GameState expectedTakeout = CrowdedHouse();
    ASSERT_EQ(Simulation(&expectedTakeout, TakeoutOfTheTee(), 0.0f, nullptr, -1), 1);
    GameState expectedDraw = EmptyPosition();
    ASSERT_EQ(Simulation(&expectedDraw, DrawToTee(1), 0.0f, nullptr, -1), 1);
    ShotVec expectedHit{};
    ASSERT_EQ(CreateHitShot({2.0f, 5.5f, 1}, 9.0f, &expectedHit), 1);

    constexpr int kRounds = 4;
    std::vector<GameState> takeouts(kRounds);
    std::vector<GameState> draws(kRounds);
    std::vector<ShotVec> hits(kRounds);
    std::thread first([&] {
        for (int i = 0; i < kRounds; ++i) {
            takeouts[i] = CrowdedHouse();
            Simulation(&takeouts[i], TakeoutOfTheTee(), 0.0f, nullptr, -1);
        }
    });
    std::thread second([&] {
        for (int i = 0; i < kRounds; ++i) {
            draws[i] = EmptyPosition();
            SimulationTrace(&draws[i], DrawToTee(1), 0.0f, nullptr, nullptr, nullptr);
            CreateHitShot({2.0f, 5.5f, 1}, 9.0f, &hits[i]);
        }
    });
    first.join();
    second.join();
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_TRUE(SameBytes(takeouts[i], expectedTakeout));
        EXPECT_TRUE(SameBytes(draws[i], expectedDraw));
        EXPECT_EQ(hits[i].vx, expectedHit.vx);
        EXPECT_EQ(hits[i].vy, expectedHit.vy);
    }
}
