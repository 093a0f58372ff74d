#include "shot_planning.h"

#include "ice.h"
#include "sheet.h"
#include "shot_limits.h"

#include <box2d/b2_body.h>

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {
constexpr float kSidewaysAim = 1.22f;     // m, lateral aim offset of a draw
constexpr float kAimTurnFactor = 0.0335f; // aim correction per metre off the tee
} // namespace

ShotVec PlanDraw(ShotPos target) {
    const float f = (target.x - kTeeX) * kAimTurnFactor;
    const float g = (target.y - kTeeY) * kAimTurnFactor;
    float aimX;
    float aimY;
    if (target.curl > 0) {
        aimX = target.x + kSidewaysAim - g;
        aimY = target.y + f;
    } else {
        aimX = target.x - kSidewaysAim + g;
        aimY = target.y - f;
    }
    const b2Vec2 v = StraightDrawVelocity(aimX, aimY);
    return {v.x, v.y, target.curl};
}

float StoppingLineForWeight(float w) {
    if (w <= 1.0f) {
        return 11.28f - 0.76f * w;
    }
    if (w <= 3.0f) {
        return 10.52f - 1.52f * (w - 1.0f);
    }
    if (w <= 4.0f) {
        return 7.47f - 0.76f * (w - 3.0f);
    }
    if (w <= 10.0f) {
        return 6.71f - 0.61f * (w - 4.0f);
    }
    return 3.05f - 1.52f * (std::min(w, 16.0f) - 10.0f);
}

std::optional<ShotVec> WeightToTarget(ShotPos target, float weight) {
    if (weight >= 0.0f && target.y == kDeliveryY) {
        return std::nullopt;
    }
    ShotPos stop = target;
    if (weight >= 0.0f) {
        stop.y = StoppingLineForWeight(weight);
        stop.x =
            kDeliveryX + (target.x - kDeliveryX) * (stop.y - kDeliveryY) / (target.y - kDeliveryY);
    }
    const ShotVec first = PlanDraw(stop);
    if (!WithinSpeedLimit(first.vx, first.vy)) {
        return std::nullopt; // the stopping point is too far off
    }
    return first;
}

bool PlanHit(ShotPos target, ShotVec first, ShotVec& result, Stepping stepping) {
    result = first;

    // Trial of the first delivery on an empty sheet, as Simulation delivers
    // it but without error.
    StoneWorld world(stepping);
    b2Body* stone = world.CreateStoneBody(kDeliveryX, kDeliveryY);
    world.List().entries[0] = stone;
    world.List().count = 1;
    world.Launch(stone, b2Vec2(first.vx, first.vy),
                 first.curl == 0 ? kDeliverySpin : -kDeliverySpin);

    // Positions seen from the delivery point, towards the house counted positive.
    const auto fromDelivery = [](b2Vec2 p) { return b2Vec2(p.x - kDeliveryX, kDeliveryY - p.y); };
    const b2Vec2 t = fromDelivery({target.x, target.y});
    const float reach = Distance(t.x, t.y);

    world.IceStep(kFirstHalfSlice);
    world.Step();
    world.IceStep(kFrictionSlice);
    b2Vec2 d = fromDelivery(world.Position(stone));
    // When the first step already passes the target's distance, the crossing is
    // interpolated from the delivery point itself.
    b2Vec2 previous(0.0f, 0.0f);
    for (int steps = 1; Distance(d.x, d.y) <= reach; ++steps) {
        // Within the speed and target limits the stone passes the target's
        // distance or stops long before the most steps a shot may have.
        if (!world.IsAwake(stone) || steps >= kMaxStepsPerShot) {
            return false;
        }
        previous = d;
        world.Step();
        world.IceStep(kFrictionSlice);
        d = fromDelivery(world.Position(stone));
    }

    // Crossing point of the distance `reach`, interpolated linearly by distance.
    const float before = Distance(previous.x, previous.y);
    const float after = Distance(d.x, d.y);
    const float k = (reach - before) / (after - before);
    const b2Vec2 crossing(previous.x + k * (d.x - previous.x), previous.y + k * (d.y - previous.y));

    // Turn the first delivery about the delivery point so that the trial
    // path's crossing point falls on the target.
    const double theta = std::atan2(static_cast<double>(crossing.y), crossing.x) -
                         std::atan2(static_cast<double>(t.y), t.x);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    result.vx = static_cast<float>(c * first.vx - s * first.vy);
    result.vy = static_cast<float>(s * first.vx + c * first.vy);
    return true;
}

} // namespace tarnwick
