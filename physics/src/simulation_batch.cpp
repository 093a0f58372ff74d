#include "simulation_batch.h"

#include "shot_simulation.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace tarnwick {

int PlaySeededShot(StoneWorld& world, GameState& state, ShotVec shot, float randomSize,
                   ShotVec* played, int steps, std::uint64_t seed) {
    if (!IsPlayable(state, shot, randomSize)) {
        return 0;
    }
    return PlayShot(world, state, shot, randomSize, seed, played, steps, nullptr, nullptr);
}

namespace {

// What the threads of one batch share: the arguments and the next entry to play.
struct BatchJob {
    const GameState* states;
    const ShotVec* shots;
    int count;
    float randomSize;
    std::uint64_t seed;
    GameState* results;
    ShotVec* played;
    Stepping stepping;
    std::atomic<int> next{0};
    std::atomic<int> refused{0};
};

// Takes entries until none is left, each on the thread's one world, emptied
// between shots. Every entry depends on its own arguments and seed alone, so
// which thread plays it does not matter.
void PlayEntries(BatchJob& job) {
    StoneWorld world(job.stepping);
    bool used = false;
    for (int i = job.next.fetch_add(1); i < job.count; i = job.next.fetch_add(1)) {
        if (used) {
            world.Clear();
        }
        used = true;
        GameState state = job.states[i]; // read before writing: results may be states
        ShotVec actual{};
        if (PlaySeededShot(world, state, job.shots[i], job.randomSize, &actual, -1,
                           job.seed + static_cast<std::uint64_t>(i)) == 0) {
            actual = ShotVec{0.0f, 0.0f, 0};
            job.refused.fetch_add(1);
        }
        job.results[i] = state;
        if (job.played != nullptr) {
            job.played[i] = actual;
        }
    }
}

} // namespace

int RunSimulationBatch(const GameState* states, const ShotVec* shots, int count, float randomSize,
                       std::uint64_t seed, GameState* results, ShotVec* played, int threads,
                       Stepping stepping) {
    if (states == nullptr || shots == nullptr || results == nullptr || count < 0 || threads < 0) {
        return -1;
    }
    if (threads == 0) {
        threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    }
    threads = std::min({threads, count, kMaxBatchThreads});

    BatchJob job{states, shots, count, randomSize, seed, results, played, stepping};
    std::vector<std::thread> helpers;
    try {
        helpers.reserve(static_cast<std::size_t>(threads - 1));
        for (int t = 1; t < threads; ++t) {
            helpers.emplace_back([&job] { PlayEntries(job); });
        }
    } catch (const std::exception&) {
        // Fewer threads than asked for: those running take more entries.
    }
    PlayEntries(job);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return job.refused.load();
}

} // namespace tarnwick
