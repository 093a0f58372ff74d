// The library's exported entry points: they check what the caller hands over
// and refuse, writing nothing, what cannot be played.

#include "shot_limits.h"
#include "shot_planning.h"
#include "shot_simulation.h"
#include "simulation_batch.h"

#include <tarnwick/tarnwick.h>

#include <cmath>

using namespace tarnwick;

extern "C" {

TARNWICK_API int TARNWICK_CALL Simulation(GameState* state, ShotVec shot, float randomSize,
                                          ShotVec* played, int steps) {
    if (state == nullptr || !IsPlayable(*state, shot, randomSize)) {
        return 0;
    }
    StoneWorld world;
    return PlayShot(world, *state, shot, randomSize, ErrorSeed(), played, steps, nullptr, nullptr);
}

TARNWICK_API int TARNWICK_CALL SimulationSeeded(GameState* state, ShotVec shot, float randomSize,
                                                ShotVec* played, int steps, uint64_t seed) {
    if (state == nullptr) {
        return 0;
    }
    StoneWorld world;
    return PlaySeededShot(world, *state, shot, randomSize, played, steps, seed);
}

TARNWICK_API int TARNWICK_CALL SimulationBatch(const GameState* states, const ShotVec* shots,
                                               int count, float randomSize, uint64_t seed,
                                               GameState* results, ShotVec* played, int threads) {
    return RunSimulationBatch(states, shots, count, randomSize, seed, results, played, threads);
}

TARNWICK_API int TARNWICK_CALL SimulationTrace(GameState* state, ShotVec shot, float randomSize,
                                               ShotVec* played, SimulationFrameFn onFrame,
                                               void* user) {
    if (state == nullptr || !IsPlayable(*state, shot, randomSize)) {
        return 0;
    }
    StoneWorld world;
    return PlayShot(world, *state, shot, randomSize, ErrorSeed(), played, -1, onFrame, user);
}

TARNWICK_API int TARNWICK_CALL CreateShot(ShotPos target, ShotVec* result) {
    if (result == nullptr || !WithinTargetArea(target)) {
        return 0;
    }
    const ShotVec shot = PlanDraw(target);
    if (!WithinSpeedLimit(shot.vx, shot.vy)) {
        return 0;
    }
    *result = shot;
    return 1;
}

TARNWICK_API int TARNWICK_CALL CreateHitShot(ShotPos target, float weight, ShotVec* result) {
    if (result == nullptr || !WithinTargetArea(target) || !std::isfinite(weight)) {
        return 0;
    }
    const std::optional<ShotVec> first = WeightToTarget(target, weight);
    if (!first) {
        return 0;
    }
    return PlanHit(target, *first, *result) ? 1 : 0;
}

} // extern "C"
