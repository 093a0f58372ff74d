#pragma once

#include <box2d/b2_math.h>

class b2Body;

namespace tarnwick {

// A body's motion as Box2D's island solver reads and writes it: centre c and
// angle a (m, rad), their values at the start of the last step (c0, a0),
// velocities (m/s, rad/s), the time it has stayed below the sleep tolerances
// (s) and whether it is awake.
struct LoneBodyState {
    b2Vec2 c{0.0f, 0.0f};
    b2Vec2 c0{0.0f, 0.0f};
    float a = 0.0f;
    float a0 = 0.0f;
    b2Vec2 v{0.0f, 0.0f};
    float w = 0.0f;
    float sleepTime = 0.0f;
    bool awake = true;
};

// What one step of Box2D 2.4.1's world does to a body that touches nothing:
// the body forms an island of its own, which b2Island::Solve integrates with
// the single-precision operations repeated here in its order (velocity update
// from gravity and force, damping, the per-step translation and rotation
// limits, position update, then the sleep count). No contact solver runs for
// such an island, so the result equals the engine's bit for bit, provided no
// fused multiply-add is formed (the library builds with -ffp-contract=off).
class LoneBodyStep {
public:
    // Reads the mass, damping and gravity scale of `body` in a world whose
    // gravity is `gravity`; time step `h` in seconds. Stones are all alike, so
    // one instance serves every stone of a world.
    LoneBodyStep(const b2Body& body, b2Vec2 gravity, float h);

    // Advances an awake body by one step. When the body falls asleep it
    // comes to a stop as b2Body::SetAwake(false) leaves it.
    void Advance(LoneBodyState& body) const;

private:
    float m_h;
    b2Vec2 m_velocityChange; // h * invMass * (gravityScale * mass * gravity + force)
    float m_angularChange;   // h * invI * torque; forces and torques are always zero here
    float m_linearDampingFactor;
    float m_angularDampingFactor;
    bool m_autoSleep;
};

} // namespace tarnwick
