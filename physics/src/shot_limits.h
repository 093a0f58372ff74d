#pragma once

#include <tarnwick/tarnwick.h>

namespace tarnwick {

// The checks behind the library's refusals of things no shot on a sheet can
// have; the limits are documented in the public header.

// True for finite velocities (m/s) no faster than kMaxShotSpeed.
bool WithinSpeedLimit(float vx, float vy);

// True for a finite target inside the planning area.
bool WithinTargetArea(ShotPos target);

// True when two of the stones that a shot on `state` puts on the sheet lie
// with their centres closer than kMinStoneDistance.
bool StonesOverlapDeeply(const GameState& state);

// True when a stored stone is put on the sheet for the next shot: inside the
// playing area of a stored position (all limits strict).
bool InStoredPlayingArea(StonePosition p);

} // namespace tarnwick
