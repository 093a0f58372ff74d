#include "ice.h"
#include "sheet.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnwick;

namespace {

double Speed(b2Vec2 v) {
    return std::hypot(static_cast<double>(v.x), static_cast<double>(v.y));
}

double TurnAngle(b2Vec2 from, b2Vec2 to) {
    return std::atan2(static_cast<double>(from.x) * to.y - static_cast<double>(from.y) * to.x,
                      static_cast<double>(from.x) * to.x + static_cast<double>(from.y) * to.y);
}

} // namespace

TEST(FrictionAndCurl, RemovesOneSliceOfSpeed) {
    for (const b2Vec2 v : {b2Vec2(0.0f, -2.9f), b2Vec2(1.0f, -1.0f), b2Vec2(-0.3f, 0.02f)}) {
        for (const float spin : {0.0f, 0.066696f, -0.066696f}) {
            const b2Vec2 after = FrictionAndCurl(kFrictionSlice, spin, v);
            EXPECT_NEAR(Speed(after), Speed(v) - kFrictionSlice, 1e-6) << v.x << "," << v.y;
        }
    }
}

TEST(FrictionAndCurl, TurnsByTheCurlAngleInTheSpinsSense) {
    const b2Vec2 v(0.0f, -2.0f);
    const double u = 2.0 - kFrictionSlice;
    const double expected = std::atan(kCurlFactor * kFrictionSlice / u);

    // Positive spin turns counter-clockwise: a stone going to -y drifts to +x.
    const b2Vec2 left = FrictionAndCurl(kFrictionSlice, 0.066696f, v);
    EXPECT_NEAR(TurnAngle(v, left), expected, 1e-7);
    EXPECT_GT(left.x, 0.0f);

    const b2Vec2 right = FrictionAndCurl(kFrictionSlice, -0.066696f, v);
    EXPECT_NEAR(TurnAngle(v, right), -expected, 1e-7);
    EXPECT_LT(right.x, 0.0f);

    // Only the sign of the spin counts.
    const b2Vec2 fast = FrictionAndCurl(kFrictionSlice, 5.0f, v);
    EXPECT_EQ(fast.x, left.x);
    EXPECT_EQ(fast.y, left.y);

    const b2Vec2 straight = FrictionAndCurl(kFrictionSlice, 0.0f, v);
    EXPECT_EQ(straight.x, 0.0f);
}

TEST(FrictionAndCurl, StopsAStoneNoFasterThanTheSlice) {
    EXPECT_EQ(Speed(FrictionAndCurl(kFrictionSlice, 0.066696f, b2Vec2(0.0f, -0.0015f))), 0.0);
    EXPECT_EQ(Speed(FrictionAndCurl(kFrictionSlice, 0.0f, b2Vec2(0.0f, -kFrictionSlice))), 0.0);
    EXPECT_GT(Speed(FrictionAndCurl(kFrictionSlice, 0.0f, b2Vec2(0.0f, -0.0021f))), 0.0);
}

TEST(FrictionAndCurl, HugeSpeedsStayFinite) {
    const b2Vec2 after = FrictionAndCurl(kFrictionSlice, 1.0f, b2Vec2(3e38f, -3e38f));
    EXPECT_TRUE(std::isfinite(after.x) && std::isfinite(after.y));
}

TEST(StraightDrawVelocity, StopsOnThePointInAStraightLine) {
    const b2Vec2 tee = StraightDrawVelocity(2.375f, 4.88f);
    EXPECT_EQ(tee.x, 0.0f);
    EXPECT_NEAR(tee.y, -2.9568074f, 1e-6f);

    const b2Vec2 origin = StraightDrawVelocity(kDeliveryX, kDeliveryY);
    EXPECT_EQ(origin.x, 0.0f);
    EXPECT_EQ(origin.y, 0.0f);

    // v^2 / (2a) is the distance to the point, along the line to it.
    const b2Vec2 side = StraightDrawVelocity(1.0f, 6.0f);
    const double length = std::hypot(1.0 - 2.375, 6.0 - 41.28);
    EXPECT_NEAR(Speed(side) * Speed(side) / (2 * kIceDeceleration), length, 1e-4);
    EXPECT_NEAR(side.x / side.y, (1.0 - 2.375) / (6.0 - 41.28), 1e-6);
}
