#pragma once

#include "stone_world.h"

#include <tarnwick/tarnwick.h>

#include <cstdint>

namespace tarnwick {

// Plays `shot` on `state` as SimulationSeeded does, in `world`, which must
// hold no bodies. Returns 1 when `state` was written.
int PlaySeededShot(StoneWorld& world, GameState& state, ShotVec shot, float randomSize,
                   ShotVec* played, int steps, std::uint64_t seed);

// The work of SimulationBatch (see there), on the given stepping path.
// `threads` 0 means one per core; at most one thread per shot and
// kMaxBatchThreads are used. Returns the number of refused entries, or -1 for
// a null pointer or a negative count or thread number.
int RunSimulationBatch(const GameState* states, const ShotVec* shots, int count, float randomSize,
                       std::uint64_t seed, GameState* results, ShotVec* played, int threads,
                       Stepping stepping = Stepping::FastPath);

// The most threads one batch starts, whatever it is asked for.
inline constexpr int kMaxBatchThreads = 256;

} // namespace tarnwick
