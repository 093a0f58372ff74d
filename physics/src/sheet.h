#pragma once

// Constants of the sheet, the ice and the stone. Lengths in metres, times in
// seconds, velocities in metres per second; every value is the single-precision
// value of the decimal shown.

#include <tarnwick/tarnwick.h>

namespace tarnwick {

// Landmarks of the sheet frame: x across the sheet, y along it from the scoring
// end towards the delivery end.
inline constexpr float kSideLineLeft = 0.0f;    // m
inline constexpr float kSideLineRight = 4.75f;  // m
inline constexpr float kCentreLineX = 2.375f;   // m
inline constexpr float kBackLineY = 3.05f;      // m
inline constexpr float kTeeX = 2.375f;          // m
inline constexpr float kTeeY = 4.88f;           // m
inline constexpr float kHouseRadius = 1.83f;    // m
inline constexpr float kCountingRadius = 1.98f; // m: a stone counts while nearer than this
inline constexpr float kHogLineY = 11.28f;      // m
inline constexpr float kDeliveryX = 2.375f;     // m: where every delivered stone starts
inline constexpr float kDeliveryY = 41.28f;     // m
inline constexpr float kFarLimitY = 42.5f;      // m: behind the delivery point
inline constexpr float kStoneRadius = 0.145f;   // m

// Playing area while a shot runs: a stone whose centre leaves it is taken out
// of play. A stone exactly on a limit stays in play.
inline constexpr float kPlayMinX = kSideLineLeft;
inline constexpr float kPlayMaxX = kSideLineRight;
inline constexpr float kPlayMinY = kBackLineY;
inline constexpr float kPlayMaxY = kFarLimitY;

// Playing area of a stored position (all limits strict): the whole stone inside
// the side lines, not more than its own width past the back line, and wholly
// beyond the hog line.
inline constexpr float kStoredMinX = 0.145f;  // m
inline constexpr float kStoredMaxX = 4.605f;  // m
inline constexpr float kStoredMinY = 2.905f;  // m
inline constexpr float kStoredMaxY = 11.135f; // m

// The ice and the engine step.
inline constexpr float kTimeStep = 1.0f / 60.0f; // s, one engine step
inline constexpr int kVelocityIterations = 10;
inline constexpr int kPositionIterations = 10;
inline constexpr float kIceDeceleration = 0.12009216f; // m/s^2, also the fixture friction
inline constexpr float kFrictionSlice = 0.002001536f;  // m/s removed after every step
inline constexpr float kFirstHalfSlice = 0.001000768f; // m/s removed once, before the first step
inline constexpr float kCurlFactor = 0.066696f;   // sideways change per slice, as a fraction of it
inline constexpr float kDeliverySpin = 0.066696f; // rad/s; only its sign matters to the ice
inline constexpr float kStoneDensity = 10.0f;     // kg/m^2
inline constexpr float kStoneRestitution = 1.0f;
inline constexpr float kRestitutionThreshold = 1.0f; // m/s: slower contacts do not bounce

// Number of stones in an end and ends with a score entry.
inline constexpr int kStonesPerEnd = 16;
inline constexpr int kScoredEnds = 10;

// What the library refuses, and where it stops a shot (the reasons are given
// in the public header).
inline constexpr int kMaxStepsPerShot = TARNWICK_MAX_STEPS_PER_SHOT;
inline constexpr float kMaxShotSpeed = TARNWICK_MAX_SHOT_SPEED;         // m/s
inline constexpr float kMinStoneDistance = TARNWICK_MIN_STONE_DISTANCE; // m, centre to centre
inline constexpr float kTargetMinX = TARNWICK_TARGET_MIN_X;             // m
inline constexpr float kTargetMaxX = TARNWICK_TARGET_MAX_X;             // m
inline constexpr float kTargetMinY = TARNWICK_TARGET_MIN_Y;             // m
inline constexpr float kTargetMaxY = TARNWICK_TARGET_MAX_Y;             // m

} // namespace tarnwick
