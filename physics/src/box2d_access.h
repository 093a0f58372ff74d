#pragma once

// The one place where the library reaches into Box2D's private state. The fast
// path advances stones outside the engine and must hand them back exactly as
// the engine would have left them (position, sweep, velocities, sleep count),
// and a world reused for many shots must allocate its broad-phase nodes in the
// order a new world does. Box2D 2.4.1 offers no public way to do either; the
// build requires exactly that release, so a different Box2D fails to build
// rather than giving different results.

#include <box2d/b2_math.h>

class b2Body;
class b2ContactManager;
class b2Fixture;
class b2World;

namespace tarnwick::box2d {

// The body's swept motion (centre and angle now and at the start of the step).
b2Sweep& Sweep(b2Body& body);
// The body's origin transform, as GetPosition and the contacts read it.
b2Transform& Transform(b2Body& body);
// Linear velocity (m/s) and angular velocity (rad/s), written without waking
// the body or restarting its sleep count.
b2Vec2& LinearVelocity(b2Body& body);
float& AngularVelocity(b2Body& body);
// Seconds the body has stayed below the sleep tolerances.
float& SleepTime(b2Body& body);

// The broad-phase proxy of a fixture with one child (a circle).
int ProxyId(const b2Fixture& fixture);

// The world's contact manager, with its broad-phase, for calling the steps of
// b2World::Step one by one.
b2ContactManager& ContactManager(b2World& world);

// Puts the broad-phase tree of a world without bodies back into the state of a
// new tree: every node free, handed out again from node 0 upwards, so that the
// next stones get the proxy ids (and so the contact order) they get in a new
// world. Keeps the node storage, so no allocation happens.
void ResetEmptyBroadPhase(b2World& world);

} // namespace tarnwick::box2d
