#pragma once

// The referee's deliveries played by the physics library, for the programs
// that link it: the match server and engine-series.

#include "referee_ports.h"

namespace skerrow {

class LibraryShotPlayer final : public ShotPlayer {
public:
    bool Play(GameState& state, ShotVec shot, float randomSize, std::uint64_t seed,
              ShotVec& played) override;
};

} // namespace skerrow
