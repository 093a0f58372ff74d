#pragma once

#include "physics_binding.h"

#include <tarnwick/tarnwick.h>

#include <vector>

namespace skerrow {

// The path a delivery would take from a position, as the physics library
// plays it: what the window draws as a curve before a shot is sent.
class ShotPath {
public:
    ShotPath() = delete;

    // Plays `shot` without delivery error on a copy of `start` through the
    // library's SimulationTrace and returns the delivered stone's centre
    // (stone `start.shotNumber`) after each physics step of 1/60 s, from the
    // delivery point to where it comes to rest, in metres. The path stops
    // where the stone leaves play. Empty when `trace` is null, the position
    // has no stone to deliver (shotNumber outside 0 to 15) or the library
    // refuses the shot. Takes as long as the shot has steps (a few
    // milliseconds for a draw).
    static std::vector<StonePosition> Predict(PhysicsBinding::SimulationTraceFn trace,
                                              const GameState& start, ShotVec shot);
};

} // namespace skerrow
