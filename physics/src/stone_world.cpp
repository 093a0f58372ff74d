#include "stone_world.h"

#include "box2d_access.h"
#include "ice.h"

#include <box2d/b2_body.h>
#include <box2d/b2_circle_shape.h>
#include <box2d/b2_collision.h>
#include <box2d/b2_contact.h>
#include <box2d/b2_contact_manager.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_world.h>

#include <cstddef>
#include <cstdint>

namespace tarnwick {

StoneWorld::StoneWorld(Stepping stepping)
    : m_stepping(stepping), m_world(std::make_unique<b2World>(b2Vec2(0.0f, 0.0f))) {
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
    b2Assert(m_stoneCount < kStonesPerEnd);
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
    bodyDef.userData.pointer = static_cast<uintptr_t>(m_stoneCount);
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
    const b2Fixture* fixture = body->CreateFixture(&fixtureDef);

    // Bodies are only created before a run (the fast path relies on it).
    b2Assert(!m_stepped);
    Stone& stone = m_stones[m_stoneCount++];
    stone = Stone{};
    stone.body = body;
    stone.proxyId = box2d::ProxyId(*fixture);
    if (!m_loneStep) {
        m_loneStep.emplace(*body, m_world->GetGravity(), kTimeStep);
    }
    m_newProxies = true;
    return body;
}

void StoneWorld::Launch(b2Body* body, b2Vec2 velocity, float spin) {
    if (m_statesCurrent) {
        StoreToBodies();
    }
    body->SetLinearVelocity(velocity);
    body->SetAngularVelocity(spin);
}

namespace {

// The stone's index in creation order, kept in its user data (b2Body offers
// no read-only accessor for it).
std::size_t CreationIndex(const b2Body* body) {
    return static_cast<std::size_t>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

} // namespace

StoneWorld::Stone& StoneWorld::StoneOf(const b2Body* body) {
    return m_stones[CreationIndex(body)];
}

const StoneWorld::Stone& StoneWorld::StoneOf(const b2Body* body) const {
    return m_stones[CreationIndex(body)];
}

b2Vec2 StoneWorld::Position(const b2Body* body) const {
    // The engine's GetPosition is the centre less the rotated local centre,
    // which is (0, 0) for a stone, so the centre is the position.
    return m_statesCurrent ? StoneOf(body).state.c : body->GetPosition();
}

bool StoneWorld::IsAwake(const b2Body* body) const {
    // The fast path puts bodies to sleep in the engine as it goes, so the
    // engine's flag is current either way.
    return m_statesCurrent ? StoneOf(body).state.awake : body->IsAwake();
}

void StoneWorld::Step() {
    m_stepped = true;
    if (m_stepping == Stepping::AlwaysStepped) {
        EngineStep();
    } else {
        FastStep();
    }
}

void StoneWorld::EngineStep() {
    m_world->Step(kTimeStep, kVelocityIterations, kPositionIterations);
    ++m_engineSteps;
}

// The fast path takes over b2World::Step's work piece by piece. Step first
// finds the contacts of new fixtures, then updates every contact that has an
// awake body (Collide), solves each island of awake bodies joined by touching
// contacts, moves their broad-phase proxies and finds new contacts. While no
// awake stone touches another, every island is a single body, whose step
// LoneBodyStep repeats exactly; the proxies are moved and the contacts found
// by the engine's own broad-phase, so contacts come into being in the same
// step and order as in the engine. Box2D creates a contact when the stones'
// fattened boxes (0.1 m around each, more ahead of a moving stone) overlap,
// and evaluates it at the start of the next step, before anything moves:
// a contact that touches is therefore seen, and the step handed to the
// engine, before the stones can first meet. The engine keeps the steps in
// which stones touch; once they part, the fast path takes them back. Stones
// at rest and asleep cost nothing.
void StoneWorld::FastStep() {
    b2ContactManager& contacts = box2d::ContactManager(*m_world);
    if (m_newProxies) {
        // What Step does first after fixtures were created. Step still does
        // it again, which then finds the move buffer empty and does nothing.
        contacts.FindNewContacts();
        m_newProxies = false;
    }
    if (AwakeStoneHasContact()) {
        // Collide reads the bodies, and b2Contact::Update may wake them, so
        // they must hold the motion. Collide is idempotent at fixed positions,
        // so the engine's Step, if it follows, repeats it to the same effect.
        if (m_statesCurrent) {
            StoreToBodies();
        }
        contacts.Collide();
        if (AwakeStoneTouches()) {
            EngineStep();
            return;
        }
    }
    if (!m_statesCurrent) {
        LoadFromBodies();
    }
    AdvanceLoneBodies();
}

bool StoneWorld::AwakeStoneHasContact() const {
    if (m_statesCurrent) {
        for (int n = 0; n < m_awakeCount; ++n) {
            if (m_stones[m_awake[n]].body->GetContactList() != nullptr) {
                return true;
            }
        }
        return false;
    }
    for (int i = 0; i < m_stoneCount; ++i) {
        const b2Body* body = m_stones[i].body;
        if (body->IsAwake() && body->GetContactList() != nullptr) {
            return true;
        }
    }
    return false;
}

bool StoneWorld::AwakeStoneTouches() const {
    for (int i = 0; i < m_stoneCount; ++i) {
        const b2Body* body = m_stones[i].body;
        if (!body->IsAwake()) {
            continue;
        }
        for (const b2ContactEdge* edge = body->GetContactList(); edge != nullptr;
             edge = edge->next) {
            if (edge->contact->IsTouching() && edge->contact->IsEnabled()) {
                return true;
            }
        }
    }
    return false;
}

namespace {

// b2CircleShape::ComputeAABB for a stone centred on `p`.
b2AABB StoneBox(b2Vec2 p) {
    b2AABB box;
    box.lowerBound.Set(p.x - kStoneRadius, p.y - kStoneRadius);
    box.upperBound.Set(p.x + kStoneRadius, p.y + kStoneRadius);
    return box;
}

// The test by which b2DynamicTree::MoveProxy leaves a proxy in place (and
// changes nothing): its tree box still holds the swept box and is not much
// larger than the fattened one. Most steps end here, without a call into the
// engine; otherwise MoveProxy runs and reinserts the proxy.
bool ProxyStaysInPlace(const b2AABB& treeBox, const b2AABB& box, b2Vec2 displacement) {
    const b2Vec2 r(b2_aabbExtension, b2_aabbExtension);
    b2AABB fat;
    fat.lowerBound = box.lowerBound - r;
    fat.upperBound = box.upperBound + r;
    const b2Vec2 d = b2_aabbMultiplier * displacement;
    if (d.x < 0.0f) {
        fat.lowerBound.x += d.x;
    } else {
        fat.upperBound.x += d.x;
    }
    if (d.y < 0.0f) {
        fat.lowerBound.y += d.y;
    } else {
        fat.upperBound.y += d.y;
    }
    if (!treeBox.Contains(box)) {
        return false;
    }
    b2AABB huge;
    huge.lowerBound = fat.lowerBound - 4.0f * r;
    huge.upperBound = fat.upperBound + 4.0f * r;
    return huge.Contains(treeBox);
}

} // namespace

void StoneWorld::SynchronizeProxies() {
    b2BroadPhase& broadPhase = box2d::ContactManager(*m_world).m_broadPhase;
    bool moved = false;
    for (int n = m_awakeCount - 1; n >= 0; --n) {
        const Stone& stone = m_stones[m_awake[n]];
        const b2AABB box1 = StoneBox(stone.state.awake ? stone.state.c0 : stone.state.c);
        const b2AABB box2 = StoneBox(stone.state.c);
        b2AABB swept;
        swept.Combine(box1, box2);
        const b2Vec2 displacement = box2.GetCenter() - box1.GetCenter();
        if (!ProxyStaysInPlace(broadPhase.GetFatAABB(stone.proxyId), swept, displacement)) {
            broadPhase.MoveProxy(stone.proxyId, swept, displacement);
            moved = true;
        }
    }
    if (moved) {
        box2d::ContactManager(*m_world).FindNewContacts();
    }
}

void StoneWorld::AdvanceLoneBodies() {
    // b2Island::Solve for each awake body, an island of its own.
    for (int n = 0; n < m_awakeCount; ++n) {
        Stone& stone = m_stones[m_awake[n]];
        m_loneStep->Advance(stone.state);
        stone.stored = false;
        if (!stone.state.awake) {
            stone.body->SetAwake(false);
        }
    }
    // b2Body::SynchronizeFixtures, in the order of the world's body list
    // (newest first), for every body that was in an island: the box swept
    // from the start of the step for an awake body, the box where it lies for
    // one that has just fallen asleep. Then FindNewContacts, which has work
    // only when a proxy was reinserted. A world of one stone (a draw on an
    // empty sheet, the trial of a hit) skips this: its proxy has nothing to
    // meet, a tree of one leaf keeps its shape whatever its box, and no body
    // is added during a run, so nothing that depends on the broad-phase can
    // differ.
    if (m_stoneCount > 1) {
        SynchronizeProxies();
    }
    // Those that fell asleep leave the list.
    int kept = 0;
    for (int n = 0; n < m_awakeCount; ++n) {
        if (m_stones[m_awake[n]].state.awake) {
            m_awake[kept++] = m_awake[n];
        }
    }
    m_awakeCount = kept;
}

void StoneWorld::LoadFromBodies() {
    m_awakeCount = 0;
    for (int i = 0; i < m_stoneCount; ++i) {
        Stone& stone = m_stones[i];
        b2Body& body = *stone.body;
        const b2Sweep& sweep = box2d::Sweep(body);
        stone.state.c = sweep.c;
        stone.state.c0 = sweep.c0;
        stone.state.a = sweep.a;
        stone.state.a0 = sweep.a0;
        stone.state.v = body.GetLinearVelocity();
        stone.state.w = body.GetAngularVelocity();
        stone.state.sleepTime = box2d::SleepTime(body);
        stone.state.awake = body.IsAwake();
        stone.transformAngle = sweep.a;
        stone.stored = true;
        stone.listIndex = -1;
        if (stone.state.awake) {
            m_awake[m_awakeCount++] = i;
        }
    }
    for (int k = 0; k < m_list.count; ++k) {
        if (m_list.entries[k] != nullptr) {
            StoneOf(m_list.entries[k]).listIndex = k;
        }
    }
    m_scanFrom = 0;
    m_statesCurrent = true;
}

void StoneWorld::StoreToBodies() {
    for (int i = 0; i < m_stoneCount; ++i) {
        Stone& stone = m_stones[i];
        if (stone.stored) {
            continue;
        }
        b2Body& body = *stone.body;
        const LoneBodyState& state = stone.state;
        b2Sweep& sweep = box2d::Sweep(body);
        sweep.c = state.c;
        sweep.c0 = state.c0;
        sweep.a = state.a;
        sweep.a0 = state.a0;
        // b2Body::SynchronizeTransform; the rotation only when the angle moved.
        b2Transform& transform = box2d::Transform(body);
        if (state.a != stone.transformAngle) {
            transform.q.Set(state.a);
            stone.transformAngle = state.a;
        }
        transform.p = sweep.c - b2Mul(transform.q, sweep.localCenter);
        box2d::LinearVelocity(body) = state.v;
        box2d::AngularVelocity(body) = state.w;
        box2d::SleepTime(body) = state.sleepTime;
        stone.stored = true;
    }
    m_statesCurrent = false;
}

void StoneWorld::SyncBodies() {
    if (m_statesCurrent) {
        StoreToBodies();
    }
}

void StoneWorld::IceStep(float slice) {
    if (m_statesCurrent) {
        // Asleep, a body has no velocity and no spin (SetAwake(false) zeroes
        // both, and nothing else moves a sleeping body), and the ice leaves
        // it so: only awake listed stones change. Each stone's slice depends
        // on that stone alone, so their order does not matter.
        for (int n = 0; n < m_awakeCount; ++n) {
            Stone& stone = m_stones[m_awake[n]];
            if (stone.listIndex < 0) {
                continue;
            }
            LoneBodyState& state = stone.state;
            state.v = FrictionAndCurl(slice, state.w, state.v);
            if (state.v.x == 0.0f && state.v.y == 0.0f) {
                state.w = 0.0f;
            }
        }
        return;
    }
    for (int k = 0; k < m_list.count; ++k) {
        b2Body* body = m_list.entries[k];
        if (body == nullptr) {
            continue;
        }
        const b2Vec2 v =
            FrictionAndCurl(slice, body->GetAngularVelocity(), body->GetLinearVelocity());
        if (body->IsAwake()) {
            // Written in place: SetLinearVelocity would call SetAwake(true),
            // which restarts the sleep count of a body that is awake already.
            box2d::LinearVelocity(*body) = v;
        } else {
            // Wakes the body (and restarts its count) only for a non-zero velocity.
            body->SetLinearVelocity(v);
        }
        if (v.x == 0.0f && v.y == 0.0f) {
            // A stopped stone keeps no spin, so it can fall asleep (a zero
            // angular velocity does not wake the body).
            body->SetAngularVelocity(0.0f);
        }
    }
}

bool StoneWorld::ScanForRest() {
    // On the fast path the stones before the one that stopped the last scan
    // were asleep (or gone) and nothing has woken or moved them since: the
    // scan resumes there. Loading the states from the bodies starts it afresh.
    for (int k = m_statesCurrent ? m_scanFrom : 0; k < m_list.count; ++k) {
        b2Body* body = m_list.entries[k];
        if (body == nullptr) {
            continue;
        }
        const b2Vec2 p = Position(body);
        if (p.x < kPlayMinX || p.x > kPlayMaxX || p.y < kPlayMinY || p.y > kPlayMaxY) {
            m_list.entries[k] = nullptr; // out of play; the body stays in the world
            if (m_statesCurrent) {
                StoneOf(body).listIndex = -1;
            }
            continue;
        }
        if (IsAwake(body)) {
            // Stones beyond the first one still moving are not examined this step.
            if (m_statesCurrent) {
                m_scanFrom = k;
            }
            return false;
        }
    }
    return true;
}

RunOutcome StoneWorld::RunUntilRest(int steps, StepObserver* observer, int maxSteps) {
    IceStep(kFirstHalfSlice);
    RunOutcome outcome = RunOutcome::StepLimitReached;
    for (int i = 0; steps == -1 || i < steps; ++i) {
        if (observer != nullptr && !observer->BeforeStep(i)) {
            outcome = RunOutcome::Stopped;
            break;
        }
        Step();
        IceStep(kFrictionSlice);
        if (ScanForRest() || i + 1 >= maxSteps) {
            outcome = RunOutcome::AtRest;
            break;
        }
    }
    SyncBodies();
    return outcome;
}

void StoneWorld::Clear() {
    SyncBodies();
    for (int i = 0; i < m_stoneCount; ++i) {
        m_world->DestroyBody(m_stones[i].body);
        m_stones[i] = Stone{};
    }
    m_stoneCount = 0;
    m_list = StoneList{};
    m_newProxies = false;
    m_engineSteps = 0;
    m_awakeCount = 0;
    m_scanFrom = 0;
    m_stepped = false;
    box2d::ResetEmptyBroadPhase(*m_world);
}

} // namespace tarnwick
