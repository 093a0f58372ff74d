// Timings of the library on the shots a match is made of. Every benchmark
// times the library's fast path in its timed loop and then the same work on
// the always-stepped Box2D world in the same process, and reports both and
// their ratio (`ratio`, fast over stepped): the figure that says what the fast
// path gains, whatever the machine. Both are processor time (std::clock), so
// that other work on a shared machine does not tilt the ratio. The batch
// benchmark compares two threads with one instead (`speedup`, in real time).
// The Simulation benchmarks also count heap allocations per call, which must
// not grow with the number of steps played.

#include "allocation_counter.h"
#include "random_shots.h"
#include "shot_limits.h"
#include "shot_planning.h"
#include "shot_simulation.h"
#include "simulation_batch.h"

#include <tarnwick/tarnwick.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <span>
#include <vector>

namespace {

using tarnwick::Stepping;

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

ShotVec TakeoutOfTheTee() {
    ShotVec hit{};
    CreateHitShot(ShotPos{kTeeX, kTeeY, 0}, kTakeoutWeight, &hit);
    return hit;
}

// Fifteen stones delivered, the last of the end to come: stone 0 on the tee,
// seven on a ring of 0.75 and seven on a ring of 1.5 about it, leaving the
// front of the house open so that the hit reaches the tee stone. The first
// `stones` of them are in play.
GameState CrowdedHouse(int stones = 15) {
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
    for (int i = stones; i < 15; ++i) {
        state.stones[i] = {0.0f, 0.0f};
    }
    return state;
}

// One call of Simulation on the chosen path: what the export does.
int Simulate(const GameState& position, ShotVec shot, int steps, Stepping stepping) {
    GameState copy = position;
    if (!tarnwick::IsPlayable(copy, shot, 0.0f)) {
        return 0;
    }
    tarnwick::StoneWorld world(stepping);
    const int result = tarnwick::PlayShot(world, copy, shot, 0.0f, tarnwick::ErrorSeed(), nullptr,
                                          steps, nullptr, nullptr);
    benchmark::DoNotOptimize(copy);
    return result;
}

// Seconds of real time, or of the processor time of the process.
double RealSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Times `call` until at least `budget` seconds and three calls have passed on
// `clock`; microseconds per call.
template <typename Call>
double MicrosecondsPerCall(Call call, double (*clock)() = ProcessorSeconds, double budget = 0.3) {
    const double start = clock();
    int calls = 0;
    double elapsed = 0.0;
    while (calls < 3 || elapsed < budget) {
        call();
        ++calls;
        elapsed = clock() - start;
    }
    return elapsed * 1e6 / calls;
}

// Runs the timed loop on the fast path, then times the stepped path on the
// same work, and reports both and their ratio.
template <typename Call> void CompareWithStepped(benchmark::State& state, Call call) {
    const double start = ProcessorSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(call(Stepping::FastPath));
    }
    const double fast =
        (ProcessorSeconds() - start) * 1e6 / static_cast<double>(state.iterations());
    const double stepped =
        MicrosecondsPerCall([&] { benchmark::DoNotOptimize(call(Stepping::AlwaysStepped)); });
    state.counters["fast_us"] = fast;
    state.counters["stepped_us"] = stepped;
    state.counters["ratio"] = fast / stepped;
}

// Plays the delivery on a fresh copy of the position at every iteration;
// range(0) is the step limit (-1 plays the shot to rest).
void RunSimulation(benchmark::State& state, const GameState& position, ShotVec shot) {
    const int steps = static_cast<int>(state.range(0));
    CompareWithStepped(
        state, [&](Stepping stepping) { return Simulate(position, shot, steps, stepping); });
    // Counted over a few calls of the exported function, apart from the timing.
    const std::uint64_t start = tarnwick_bench::AllocationCount();
    for (int i = 0; i < 10; ++i) {
        GameState copy = position;
        benchmark::DoNotOptimize(Simulation(&copy, shot, 0.0f, nullptr, steps));
    }
    state.counters["allocs_per_call"] =
        static_cast<double>(tarnwick_bench::AllocationCount() - start) / 10.0;
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
    RunSimulation(state, CrowdedHouse(), TakeoutOfTheTee());
}
BENCHMARK(BM_SimulationTakeoutIntoFullHouse)
    ->ArgName("steps")
    ->Arg(10)
    ->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

// What a shot costs with 0, 4, 8 or 15 stones in play: a draw to the tee,
// which strikes the tee stone when there is one.
void BM_DrawWithStonesInPlay(benchmark::State& state) {
    const GameState position = CrowdedHouse(static_cast<int>(state.range(0)));
    const ShotVec shot = DrawToTee();
    CompareWithStepped(state,
                       [&](Stepping stepping) { return Simulate(position, shot, -1, stepping); });
}
BENCHMARK(BM_DrawWithStonesInPlay)
    ->ArgName("stones")
    ->Arg(0)
    ->Arg(4)
    ->Arg(8)
    ->Arg(15)
    ->Unit(benchmark::kMicrosecond);

int TARNWICK_CALL CountFrame(void* user, int, const GameState*) {
    ++*static_cast<std::int64_t*>(user);
    return 1;
}

void BM_SimulationTraceDrawToTee(benchmark::State& state) {
    const GameState position = EmptySheet();
    const ShotVec shot = DrawToTee();
    std::int64_t frames = 0;
    CompareWithStepped(state, [&](Stepping stepping) {
        GameState copy = position;
        tarnwick::StoneWorld world(stepping);
        return tarnwick::PlayShot(world, copy, shot, 0.0f, tarnwick::ErrorSeed(), nullptr, -1,
                                  CountFrame, &frames);
    });
    state.counters["frames_per_call"] =
        static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SimulationTraceDrawToTee)->Unit(benchmark::kMicrosecond);

void BM_CreateHitShotOnTee(benchmark::State& state) {
    const ShotPos target{kTeeX, kTeeY, 0};
    const ShotVec first = *tarnwick::WeightToTarget(target, kTakeoutWeight);
    CompareWithStepped(state, [&](Stepping stepping) {
        ShotVec hit{};
        const bool planned = tarnwick::PlanHit(target, first, hit, stepping);
        benchmark::DoNotOptimize(hit);
        return planned;
    });
}
BENCHMARK(BM_CreateHitShotOnTee)->Unit(benchmark::kMicrosecond);

// A thousand match-like shots (0 to 15 stones, draws, guards and hits at all
// weights, both curls) with a delivery error, in one SimulationBatch call on
// range(0) threads, against the same batch on one thread.
void BM_SimulationBatchOfMixedShots(benchmark::State& state) {
    constexpr int kShots = 1000;
    std::vector<GameState> states;
    std::vector<ShotVec> shots;
    for (std::uint32_t i = 0; i < kShots; ++i) {
        const tarnwick::test::RandomShot shot = tarnwick::test::RandomShots::Make(i);
        states.push_back(shot.position);
        shots.push_back(shot.shot);
    }
    std::vector<GameState> results(kShots);
    std::vector<ShotVec> played(kShots);
    const auto batch = [&](int threads) {
        return SimulationBatch(states.data(), shots.data(), kShots, 0.1f, 1, results.data(),
                               played.data(), threads);
    };
    const int threads = static_cast<int>(state.range(0));
    const double start = RealSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(batch(threads));
    }
    const double many = (RealSeconds() - start) * 1e6 / static_cast<double>(state.iterations());
    const double one =
        MicrosecondsPerCall([&] { benchmark::DoNotOptimize(batch(1)); }, RealSeconds, 1.0);
    state.counters["one_thread_us"] = one;
    state.counters["speedup"] = one / many;
    state.counters["shots_per_s"] = kShots / (many * 1e-6);
    // Each thread builds one world and reuses it: what is allocated does not
    // grow with the number of shots.
    const std::uint64_t before = tarnwick_bench::AllocationCount();
    benchmark::DoNotOptimize(batch(1));
    state.counters["allocs_per_shot"] =
        static_cast<double>(tarnwick_bench::AllocationCount() - before) / kShots;
}
BENCHMARK(BM_SimulationBatchOfMixedShots)
    ->ArgName("threads")
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
