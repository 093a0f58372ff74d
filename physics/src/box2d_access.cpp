#include "box2d_access.h"

#include <box2d/b2_body.h>
#include <box2d/b2_broad_phase.h>
#include <box2d/b2_contact_manager.h>
#include <box2d/b2_dynamic_tree.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_world.h>

namespace tarnwick::box2d {

namespace {

// Names a private member through an explicit template instantiation, where
// the language does not check access: Expose<Tag, &Class::m_member> defines
// MemberOf(Tag), which returns the member pointer. Nothing is stored.
template <typename Tag, typename Tag::Type Member> struct Expose {
    friend typename Tag::Type MemberOf(Tag) { return Member; }
};

#define TARNWICK_EXPOSE(TagName, MemberType, Class, member)                                        \
    struct TagName {                                                                               \
        using Type = MemberType Class::*;                                                          \
        friend Type MemberOf(TagName);                                                             \
    };                                                                                             \
    template struct Expose<TagName, &Class::member>

TARNWICK_EXPOSE(BodySweep, b2Sweep, b2Body, m_sweep);
TARNWICK_EXPOSE(BodyTransform, b2Transform, b2Body, m_xf);
TARNWICK_EXPOSE(BodyLinearVelocity, b2Vec2, b2Body, m_linearVelocity);
TARNWICK_EXPOSE(BodyAngularVelocity, float, b2Body, m_angularVelocity);
TARNWICK_EXPOSE(BodySleepTime, float, b2Body, m_sleepTime);
TARNWICK_EXPOSE(FixtureProxies, b2FixtureProxy*, b2Fixture, m_proxies);
TARNWICK_EXPOSE(BroadPhaseTree, b2DynamicTree, b2BroadPhase, m_tree);
TARNWICK_EXPOSE(TreeRoot, int32, b2DynamicTree, m_root);
TARNWICK_EXPOSE(TreeNodes, b2TreeNode*, b2DynamicTree, m_nodes);
TARNWICK_EXPOSE(TreeNodeCount, int32, b2DynamicTree, m_nodeCount);
TARNWICK_EXPOSE(TreeNodeCapacity, int32, b2DynamicTree, m_nodeCapacity);
TARNWICK_EXPOSE(TreeFreeList, int32, b2DynamicTree, m_freeList);

#undef TARNWICK_EXPOSE

} // namespace

b2Sweep& Sweep(b2Body& body) {
    return body.*MemberOf(BodySweep{});
}

b2Transform& Transform(b2Body& body) {
    return body.*MemberOf(BodyTransform{});
}

b2Vec2& LinearVelocity(b2Body& body) {
    return body.*MemberOf(BodyLinearVelocity{});
}

float& AngularVelocity(b2Body& body) {
    return body.*MemberOf(BodyAngularVelocity{});
}

float& SleepTime(b2Body& body) {
    return body.*MemberOf(BodySleepTime{});
}

int ProxyId(const b2Fixture& fixture) {
    return (fixture.*MemberOf(FixtureProxies{}))[0].proxyId;
}

b2ContactManager& ContactManager(b2World& world) {
    // The world hands its contact manager out read-only; the steps of
    // b2World::Step change it, as they do inside the engine.
    return const_cast<b2ContactManager&>(world.GetContactManager());
}

void ResetEmptyBroadPhase(b2World& world) {
    b2DynamicTree& tree = ContactManager(world).m_broadPhase.*MemberOf(BroadPhaseTree{});
    b2Assert(tree.*MemberOf(TreeNodeCount{}) == 0);
    b2TreeNode* nodes = tree.*MemberOf(TreeNodes{});
    const int32 capacity = tree.*MemberOf(TreeNodeCapacity{});
    // The free list of b2DynamicTree's constructor: 0, 1, 2, ..., each marked free.
    for (int32 i = 0; i < capacity; ++i) {
        nodes[i].next = i + 1 < capacity ? i + 1 : b2_nullNode;
        nodes[i].height = -1;
    }
    tree.*MemberOf(TreeFreeList{}) = 0;
    tree.*MemberOf(TreeRoot{}) = b2_nullNode;
}

} // namespace tarnwick::box2d
