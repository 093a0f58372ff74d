#pragma once

#include "stone_world.h"

#include <tarnwick/tarnwick.h>

#include <optional>

namespace tarnwick {

// A draw that comes to rest on the target: aimed 1.22 to the side from which
// the curl brings it back (curl above 0 bends towards -x, 0 or below towards
// +x), with the aim turned by the target's offset from the tee, at the speed
// of a straight stop on the aim point. The curl is copied unchanged.
ShotVec PlanDraw(ShotPos target);

// The line y = Yd on which a delivery of weight w stops: 0 the hog line, 1
// 10.52, 3 7.48, just over 3 from 7.47, 4 the front of the house, 10 the back
// line, 16 and above -6.07.
float StoppingLineForWeight(float weight);

// The first delivery of a hit: a draw for a negative weight, otherwise a draw
// to the point where the straight line from the delivery point through the
// target meets the weight's stopping line. Empty when that point is undefined
// (a target level with the delivery point) or the delivery is over the speed
// limit (a target nearly level with it).
std::optional<ShotVec> WeightToTarget(ShotPos target, float weight);

// Plans a hit through `target` from the first delivery of WeightToTarget (see
// CreateHitShot). `result` receives the first delivery and, when the trial
// stone reaches the target's distance, the delivery turned to pass through
// the target; returns whether it did. The trial runs on the fast path unless
// told otherwise.
bool PlanHit(ShotPos target, ShotVec first, ShotVec& result,
             Stepping stepping = Stepping::FastPath);

} // namespace tarnwick
