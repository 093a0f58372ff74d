#pragma once

// The seeds of the delivery error: one match seed gives every delivery of a
// match a seed of its own, by game, end and stone, so that a match replays
// exactly from its seed and no two deliveries share an error by accident
// (as they would with a seed read from the clock). The match server and
// skerrow-match derive their seeds here, and only here.

#include <cstdint>

namespace skerrow {

// `value` stirred into `seed` with the splitmix64 generator's output
// function: every bit of the result depends on every bit of both, so seeds
// that differ in one value give unrelated results.
std::uint64_t MixSeed(std::uint64_t seed, std::uint64_t value);

// The seed of the error of the delivery of `stone` (0 to 15) in `end`
// (counted from 0) of `game` (counted from 1) of the match with `matchSeed`.
std::uint64_t DeliverySeed(std::uint64_t matchSeed, int game, int end, int stone);

} // namespace skerrow
