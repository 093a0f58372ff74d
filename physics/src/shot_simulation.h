#pragma once

#include "stone_world.h"

#include <tarnwick/tarnwick.h>

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

// Puts the stored stones of indexes below shotNumber (0 to 16) that lie inside
// the playing area of a stored position on the sheet, at rest; the list count
// becomes shotNumber.
void LoadStones(StoneWorld& world, const GameState& state);

// Creates the delivered stone at the delivery point as the next listed stone
// (count below 16), moving with the delivery plus the error and spinning
// +0.066696 rad/s for curl 0, -0.066696 rad/s for any other curl. Returns the
// delivery played.
ShotVec DeliverStone(StoneWorld& world, ShotVec shot, DeliveryError error, Mt19937& generator);

// The signed count of the end over the listed stones: positive for the side
// with even indexes, negative for the odd side, 0 when nobody is nearer to the
// tee than 1.98 or the nearest stones of both sides are equally near.
int CountEnd(const StoneList& list);

// Writes the listed stones' positions ((0, 0) for empty entries) and the
// bookkeeping after one more stone: shot number, end score, end and side to
// deliver.
void WriteShotResult(GameState& state, const StoneList& list);

// True when Simulation accepts the position and delivery: shotNumber 0 to 15,
// currentEnd 0 to 9, finite velocities and random size.
bool IsPlayable(const GameState& state, ShotVec shot, float randomSize);

// Plays an accepted delivery on `state` (see Simulation and SimulationTrace):
// `steps` is the step limit or -1; onFrame, if given, receives every frame.
// Returns 1 when `state` was written.
int PlayShot(GameState& state, ShotVec shot, float randomSize, ShotVec* played, int steps,
             SimulationFrameFn onFrame, void* user);

} // namespace tarnwick
