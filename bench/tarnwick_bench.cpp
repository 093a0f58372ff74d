// Timings of the library's entry points on the shots a match is made of: a
// draw on an empty sheet, a takeout into a crowded house, a traced replay and
// the planning of a hit. The Simulation benchmarks also count heap
// allocations per call, which must not grow with the number of steps played.

#include "allocation_counter.h"

#include <tarnwick/tarnwick.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <span>

namespace {

constexpr float kTeeX = 2.375f;
constexpr float kTeeY = 4.88f;
constexpr float kTakeoutWeight = 12.0f;

GameState EmptySheet() {
    GameState state{};
    state.lastEnd = 10;
    return state;
}

ShotVec DrawToTee() {
    ShotVec shot{};
    CreateShot(ShotPos{kTeeX, kTeeY, 0}, &shot);
    return shot;
}

// Fifteen stones delivered, the last of the end to come: stone 0 on the tee,
// seven on a ring of 0.75 and seven on a ring of 1.5 about it, leaving the
// front of the house open so that the hit reaches the tee stone.
GameState CrowdedHouse() {
    GameState state = EmptySheet();
    state.shotNumber = 15;
    state.turnFlag = 1;
    state.stones[0] = {kTeeX, kTeeY};
    const float inner[] = {45, 90, 135, 180, 225, 270, 315};
    const float outer[] = {60, 100, 140, 180, 220, 260, 300};
    int k = 1;
    // Angles count from the front of the house (towards the delivery point).
    auto ring = [&](float radius, std::span<const float> degrees) {
        for (float angle : degrees) {
            const float radians = angle * 3.14159265f / 180.0f;
            state.stones[k++] = {kTeeX + radius * std::sin(radians),
                                 kTeeY + radius * std::cos(radians)};
        }
    };
    ring(0.75f, inner);
    ring(1.5f, outer);
    return state;
}

// Plays the delivery on a fresh copy of the position at every iteration;
// range(0) is the step limit (-1 plays the shot to rest).
void RunSimulation(benchmark::State& state, const GameState& position, ShotVec shot) {
    const int steps = static_cast<int>(state.range(0));
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        GameState copy = position;
        const std::uint64_t before = tarnwick_bench::AllocationCount();
        benchmark::DoNotOptimize(Simulation(&copy, shot, 0.0f, nullptr, steps));
        allocations += tarnwick_bench::AllocationCount() - before;
        benchmark::DoNotOptimize(copy);
    }
    state.counters["allocs_per_call"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    state.SetLabel(tarnwick_bench::AllocationSource());
}

void BM_SimulationDrawToTee(benchmark::State& state) {
    RunSimulation(state, EmptySheet(), DrawToTee());
}
BENCHMARK(BM_SimulationDrawToTee)
    ->ArgName("steps")
    ->Arg(10)
    ->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

void BM_SimulationTakeoutIntoFullHouse(benchmark::State& state) {
    ShotVec hit{};
    if (CreateHitShot(ShotPos{kTeeX, kTeeY, 0}, kTakeoutWeight, &hit) == 0) {
        state.SkipWithError("CreateHitShot could not plan the takeout");
        return;
    }
    RunSimulation(state, CrowdedHouse(), hit);
}
BENCHMARK(BM_SimulationTakeoutIntoFullHouse)
    ->ArgName("steps")
    ->Arg(10)
    ->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

int TARNWICK_CALL CountFrame(void* user, int, const GameState*) {
    ++*static_cast<std::int64_t*>(user);
    return 1;
}

void BM_SimulationTraceDrawToTee(benchmark::State& state) {
    const GameState position = EmptySheet();
    const ShotVec shot = DrawToTee();
    std::int64_t frames = 0;
    for (auto _ : state) {
        GameState copy = position;
        benchmark::DoNotOptimize(SimulationTrace(&copy, shot, 0.0f, nullptr, CountFrame, &frames));
        benchmark::DoNotOptimize(copy);
    }
    state.counters["frames_per_call"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SimulationTraceDrawToTee)->Unit(benchmark::kMicrosecond);

void BM_CreateHitShotOnTee(benchmark::State& state) {
    for (auto _ : state) {
        ShotVec hit{};
        benchmark::DoNotOptimize(CreateHitShot(ShotPos{kTeeX, kTeeY, 0}, kTakeoutWeight, &hit));
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_CreateHitShotOnTee)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
