// The library's exported entry points: they check what the caller hands over
// and refuse, writing nothing, what cannot be played.

#include "shot_planning.h"
#include "shot_simulation.h"

#include <tarnwick/tarnwick.h>

#include <cmath>

using namespace tarnwick;

namespace {

bool IsFinite(ShotPos target) {
    return std::isfinite(target.x) && std::isfinite(target.y);
}

} // namespace

extern "C" {

TARNWICK_API int TARNWICK_CALL Simulation(GameState* state, ShotVec shot, float randomSize,
                                          ShotVec* played, int steps) {
    if (state == nullptr || !IsPlayable(*state, shot, randomSize)) {
        return 0;
    }
    return PlayShot(*state, shot, randomSize, played, steps, nullptr, nullptr);
}

TARNWICK_API int TARNWICK_CALL SimulationTrace(GameState* state, ShotVec shot, float randomSize,
                                               ShotVec* played, SimulationFrameFn onFrame,
                                               void* user) {
    if (state == nullptr || !IsPlayable(*state, shot, randomSize)) {
        return 0;
    }
    return PlayShot(*state, shot, randomSize, played, -1, onFrame, user);
}

TARNWICK_API int TARNWICK_CALL CreateShot(ShotPos target, ShotVec* result) {
    if (result == nullptr || !IsFinite(target)) {
        return 0;
    }
    const ShotVec shot = PlanDraw(target);
    if (!std::isfinite(shot.vx) || !std::isfinite(shot.vy)) {
        return 0;
    }
    *result = shot;
    return 1;
}

TARNWICK_API int TARNWICK_CALL CreateHitShot(ShotPos target, float weight, ShotVec* result) {
    if (result == nullptr || !IsFinite(target) || !std::isfinite(weight)) {
        return 0;
    }
    const std::optional<ShotVec> first = WeightToTarget(target, weight);
    if (!first) {
        return 0;
    }
    return PlanHit(target, *first, *result) ? 1 : 0;
}

} // extern "C"
