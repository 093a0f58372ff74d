#pragma once

#include <box2d/b2_math.h>

namespace tarnwick {

// The velocity of one stone after one friction slice of the ice.
//
// slice  speed to remove, in m/s (> 0).
// spin   the stone's angular velocity, in rad/s; only its sign matters.
// v      the stone's velocity, in m/s.
//
// A stone no faster than the slice stops. Otherwise its speed drops by exactly
// the slice and, unless it has no spin, its path turns by atan(k / |u|) with
// k = 0.066696 * slice: counter-clockwise for positive spin, clockwise for
// negative. Arithmetic runs in double precision, so no speed overflows; the
// result is rounded to single precision.
b2Vec2 FrictionAndCurl(float slice, float spin, b2Vec2 v);

// The velocity, in m/s, that stops a stone leaving the delivery point on the
// point (x, y) if it travelled in a straight line under the ice deceleration.
// The delivery point itself gives (0, 0).
b2Vec2 StraightDrawVelocity(float x, float y);

// Length of (x, y) computed in double precision and rounded to single
// precision, as every stored distance of the model is.
float Distance(float x, float y);

} // namespace tarnwick
