#include "library_shot_player.h"

#include <tarnwick/tarnwick.h>

namespace skerrow {

bool LibraryShotPlayer::Play(GameState& state, ShotVec shot, float randomSize, ShotVec& played) {
    // With no step limit, Simulation plays until every stone rests and says 1
    // unless it refuses the position or the delivery.
    return Simulation(&state, shot, randomSize, &played, -1) == 1;
}

} // namespace skerrow
