#include "stone_world.h"

#include "ice.h"

#include <box2d/b2_body.h>
#include <box2d/b2_circle_shape.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_world.h>

namespace tarnwick {

StoneWorld::StoneWorld() : m_world(std::make_unique<b2World>(b2Vec2(0.0f, 0.0f))) {
    m_world->SetAllowSleeping(true);
}

StoneWorld::~StoneWorld() {
    for (b2Body*& body : m_list.entries) {
        if (body != nullptr) {
            m_world->DestroyBody(body);
            body = nullptr;
        }
    }
}

b2Body* StoneWorld::CreateStoneBody(float x, float y) {
    b2BodyDef bodyDef;
    bodyDef.type = b2_dynamicBody;
    bodyDef.position.Set(x, y);
    bodyDef.angle = 0.0f;
    bodyDef.linearVelocity.SetZero();
    bodyDef.angularVelocity = 0.0f;
    bodyDef.linearDamping = 0.0f;
    bodyDef.angularDamping = 0.0f;
    bodyDef.allowSleep = true;
    bodyDef.awake = true;
    bodyDef.fixedRotation = false;
    bodyDef.bullet = false;
    bodyDef.enabled = true;
    bodyDef.gravityScale = 1.0f;
    b2Body* body = m_world->CreateBody(&bodyDef);

    b2CircleShape circle;
    circle.m_p.SetZero();
    circle.m_radius = kStoneRadius;

    b2FixtureDef fixtureDef;
    fixtureDef.shape = &circle;
    fixtureDef.friction = kIceDeceleration;
    fixtureDef.restitution = kStoneRestitution;
    fixtureDef.restitutionThreshold = kRestitutionThreshold;
    fixtureDef.density = kStoneDensity;
    fixtureDef.isSensor = false;
    fixtureDef.filter.categoryBits = 3;
    fixtureDef.filter.maskBits = 3;
    fixtureDef.filter.groupIndex = 0;
    body->CreateFixture(&fixtureDef);
    return body;
}

void StoneWorld::Step() {
    m_world->Step(kTimeStep, kVelocityIterations, kPositionIterations);
}

void SetVelocityKeepingSleepCount(b2Body* body, b2Vec2 velocity) {
    if (body->IsAwake()) {
        // The body's own velocity member, written in place: SetLinearVelocity
        // would call SetAwake(true), which zeroes the sleep count.
        const_cast<b2Vec2&>(body->GetLinearVelocity()) = velocity;
    } else {
        // Wakes the body (and restarts its count) only for a non-zero velocity.
        body->SetLinearVelocity(velocity);
    }
}

void StoneWorld::IceStep(float slice) {
    for (int k = 0; k < m_list.count; ++k) {
        b2Body* body = m_list.entries[k];
        if (body == nullptr) {
            continue;
        }
        const b2Vec2 v =
            FrictionAndCurl(slice, body->GetAngularVelocity(), body->GetLinearVelocity());
        SetVelocityKeepingSleepCount(body, v);
        if (v.x == 0.0f && v.y == 0.0f) {
            // A stopped stone keeps no spin, so it can fall asleep (a zero
            // angular velocity does not wake the body).
            body->SetAngularVelocity(0.0f);
        }
    }
}

bool StoneWorld::ScanForRest() {
    for (int k = 0; k < m_list.count; ++k) {
        b2Body* body = m_list.entries[k];
        if (body == nullptr) {
            continue;
        }
        const b2Vec2& p = body->GetPosition();
        if (p.x < kPlayMinX || p.x > kPlayMaxX || p.y < kPlayMinY || p.y > kPlayMaxY) {
            m_list.entries[k] = nullptr; // out of play; the body stays in the world
            continue;
        }
        if (body->IsAwake()) {
            // Stones beyond the first one still moving are not examined this step.
            return false;
        }
    }
    return true;
}

RunOutcome StoneWorld::RunUntilRest(int steps, StepObserver* observer) {
    IceStep(kFirstHalfSlice);
    for (int i = 0; steps == -1 || i < steps; ++i) {
        if (observer != nullptr && !observer->BeforeStep(i)) {
            return RunOutcome::Stopped;
        }
        Step();
        IceStep(kFrictionSlice);
        if (ScanForRest()) {
            return RunOutcome::AtRest;
        }
    }
    return RunOutcome::StepLimitReached;
}

} // namespace tarnwick
