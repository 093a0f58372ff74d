#include "library_shot_player.h"

#include <tarnwick/tarnwick.h>

namespace skerrow {

bool LibraryShotPlayer::Play(GameState& state, ShotVec shot, float randomSize, std::uint64_t seed,
                             ShotVec& played) {
    // With no step limit, SimulationSeeded plays until every stone rests and
    // says 1 unless it refuses the position or the delivery.
    return SimulationSeeded(&state, shot, randomSize, &played, -1, seed) == 1;
}

} // namespace skerrow
