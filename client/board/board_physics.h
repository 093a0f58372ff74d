#pragma once

// The physics library's entry points that the board plays shots with, as
// plain function pointers: the window hands over those its run-time binding
// found, the tests those of the library they link. A null pointer means the
// entry point is not there; whoever needs it then reports that instead of
// calling it.

#include <tarnwick/tarnwick.h>

namespace skerrow {

struct BoardPhysics {
    using SimulationFn = int(TARNWICK_CALL*)(GameState* state, ShotVec shot, float randomSize,
                                             ShotVec* played, int steps);
    using CreateShotFn = int(TARNWICK_CALL*)(ShotPos target, ShotVec* result);
    using CreateHitShotFn = int(TARNWICK_CALL*)(ShotPos target, float weight, ShotVec* result);

    SimulationFn simulation = nullptr;
    CreateShotFn createShot = nullptr;
    CreateHitShotFn createHitShot = nullptr;
};

} // namespace skerrow
