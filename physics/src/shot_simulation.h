#pragma once

#include "stone_world.h"

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <optional>

namespace tarnwick {

class Mt19937;

// Spread of the delivery error on the two velocity components, in m/s.
struct DeliveryError {
    float sigmaX = 0.0f;
    float sigmaY = 0.0f;
};

// The spread for a random size r (metres at the tee): the difference between
// the straight draws to (tee + (r, r)) and to the tee.
DeliveryError SetDeliveryError(float randomSize);

// An error close to normal with standard deviation |sigma|, bounded by
// 6 |sigma|: the sum of twelve uniforms minus six, scaled. Takes the next
// twelve numbers from the generator.
float NormalNoise(Mt19937& generator, float sigma);

// A generator seeded with the calendar time in whole seconds as a one-word key.
void SeedFromClock(Mt19937& generator);

// A generator seeded with the key {low 32 bits of seed, high 32 bits of seed}.
void SeedFromNumber(Mt19937& generator, std::uint64_t seed);

// Where the generator of the delivery error takes its key from: a seed
// (SeedFromNumber), or the calendar time (SeedFromClock) when empty.
using ErrorSeed = std::optional<std::uint64_t>;

// The delivery played: the requested one plus an error drawn for the random
// size from a generator seeded as `seed` says, x first, then y. Empty when the
// error or the delivery played is not finite or the delivery is faster than
// kMaxShotSpeed.
std::optional<ShotVec> DrawDelivery(ShotVec shot, float randomSize, ErrorSeed seed);

// Puts the stored stones of indexes below shotNumber (0 to 16) that lie inside
// the playing area of a stored position on the sheet, at rest; the list count
// becomes shotNumber.
void LoadStones(StoneWorld& world, const GameState& state);

// Creates the delivered stone at the delivery point as the next listed stone
// (count below 16), moving with the delivery played and spinning +0.066696
// rad/s for curl 0, -0.066696 rad/s for any other curl.
void DeliverStone(StoneWorld& world, ShotVec played);

// The signed count of the end over the listed stones: positive for the side
// with even indexes, negative for the odd side, 0 when nobody is nearer to the
// tee than 1.98 or the nearest stones of both sides are equally near.
int CountEnd(const StoneWorld& world);

// Writes the listed stones' positions ((0, 0) for empty entries) and the
// bookkeeping after one more stone: shot number, end score, end and side to
// deliver.
void WriteShotResult(GameState& state, const StoneWorld& world);

// True when Simulation accepts the position and the requested delivery:
// shotNumber 0 to 15, currentEnd 0 to 9, no two stones in play deeply
// overlapping, finite random size, a delivery within the speed limit.
bool IsPlayable(const GameState& state, ShotVec shot, float randomSize);

// Plays an accepted delivery on `state` in `world`, which must hold no bodies
// (see Simulation and SimulationTrace): the error is drawn as `seed` says;
// `steps` is the step limit or -1; onFrame, if given, receives every frame.
// Returns 1 when `state` was written; 0, writing nothing, when the delivery
// played is refused (see DrawDelivery), or when the stones came to rest
// within the limit (only `played` written) or onFrame stopped the trace.
int PlayShot(StoneWorld& world, GameState& state, ShotVec shot, float randomSize, ErrorSeed seed,
             ShotVec* played, int steps, SimulationFrameFn onFrame, void* user);

} // namespace tarnwick
