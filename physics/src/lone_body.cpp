#include "lone_body.h"

#include <box2d/b2_body.h>
#include <box2d/b2_common.h>

namespace tarnwick {

LoneBodyStep::LoneBodyStep(const b2Body& body, b2Vec2 gravity, float h) : m_h(h) {
    // The terms of b2Island::Solve's velocity update, with the body's mass
    // data as b2Body::ResetMassData derives it. Stones feel no gravity, force
    // or torque, so both changes are zero; they are still added, since adding
    // +0 turns a velocity component of -0 into +0, as the engine does.
    const float mass = body.GetMass();
    const float invMass = 1.0f / mass;
    const b2Vec2 force(0.0f, 0.0f);
    m_velocityChange = h * invMass * (body.GetGravityScale() * mass * gravity + force);
    const float invI = 1.0f / body.GetInertia();
    const float torque = 0.0f;
    m_angularChange = h * invI * torque;
    m_linearDampingFactor = 1.0f / (1.0f + h * body.GetLinearDamping());
    m_angularDampingFactor = 1.0f / (1.0f + h * body.GetAngularDamping());
    m_autoSleep = body.IsSleepingAllowed();
}

void LoneBodyStep::Advance(LoneBodyState& body) const {
    const float h = m_h;
    body.c0 = body.c;
    body.a0 = body.a;

    b2Vec2 v = body.v;
    float w = body.w;
    v += m_velocityChange;
    w += m_angularChange;
    v *= m_linearDampingFactor;
    w *= m_angularDampingFactor;

    // No contact constraints: the island holds this body alone.

    const b2Vec2 translation = h * v;
    if (b2Dot(translation, translation) > b2_maxTranslationSquared) {
        const float ratio = b2_maxTranslation / translation.Length();
        v *= ratio;
    }
    const float rotation = h * w;
    if (rotation * rotation > b2_maxRotationSquared) {
        const float ratio = b2_maxRotation / b2Abs(rotation);
        w *= ratio;
    }
    body.c += h * v;
    body.a += h * w;
    body.v = v;
    body.w = w;

    // The sleep count of an island of one body; its position constraints are
    // trivially solved.
    const float linTolSqr = b2_linearSleepTolerance * b2_linearSleepTolerance;
    const float angTolSqr = b2_angularSleepTolerance * b2_angularSleepTolerance;
    if (!m_autoSleep || w * w > angTolSqr || b2Dot(v, v) > linTolSqr) {
        body.sleepTime = 0.0f;
        return;
    }
    body.sleepTime += h;
    if (body.sleepTime >= b2_timeToSleep) {
        body.awake = false;
        body.sleepTime = 0.0f;
        body.v.SetZero();
        body.w = 0.0f;
    }
}

} // namespace tarnwick
