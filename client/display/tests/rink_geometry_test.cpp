#include "rink_geometry.h"

#include <gtest/gtest.h>

namespace skerrow::test {
namespace {

struct PointCase {
    const char* what;
    QPointF actual;
    QPointF expected; // pixels, rounded to 0.01
};

class ViewPixels : public ::testing::TestWithParam<PointCase> {};

TEST_P(ViewPixels, MatchTheSheetLandmarks) {
    const PointCase& c = GetParam();
    EXPECT_NEAR(c.actual.x(), c.expected.x(), 0.006);
    EXPECT_NEAR(c.actual.y(), c.expected.y(), 0.006);
}

INSTANTIATE_TEST_SUITE_P(
    Landmarks, ViewPixels,
    ::testing::Values(
        PointCase{"tee in A", RinkGeometry::SheetToViewA(2.375f, 4.88f), {118.5, 243.49}},
        PointCase{"right side line in A", RinkGeometry::SheetToViewA(4.75f, 0.0f), {237.0, 0.0}},
        PointCase{"right side line in B", RinkGeometry::SheetToViewB(4.75f, 0.0f), {63.0, 0.0}},
        PointCase{"delivery point in A",
                  RinkGeometry::DeliveryPoint(RinkGeometry::kScaleA),
                  {118.5, 2059.65}},
        PointCase{"delivery point in B",
                  RinkGeometry::DeliveryPoint(RinkGeometry::kScaleB),
                  {31.5, 547.5}},
        PointCase{"marker in B", RinkGeometry::MarkerToViewB(118, 243), {31.37, 64.60}}));

TEST(RinkGeometry, ClientPixelToSheetUsesTheFloatScaleInDouble) {
    EXPECT_EQ(RinkGeometry::ClientToSheet(84, 36), QPointF(0.0, 0.0));
    const double metresPerPixel = 1.0 / 49.89474105834961;
    EXPECT_DOUBLE_EQ(RinkGeometry::ClientToSheet(85, 36).x(), metresPerPixel);
    EXPECT_DOUBLE_EQ(RinkGeometry::ClientToSheet(84, 37).y(), metresPerPixel);
    // Left of and above the view the sheet point is negative.
    EXPECT_DOUBLE_EQ(RinkGeometry::ClientToSheet(0, 0).x(), -84 * metresPerPixel);
    EXPECT_DOUBLE_EQ(RinkGeometry::ClientToSheet(0, 0).y(), -36 * metresPerPixel);
    // The tee's pixel in view A, moved into the client area, maps back to it.
    const QPointF tee = RinkGeometry::ClientToSheet(84 + 118, 36 + 243);
    EXPECT_NEAR(tee.x(), 2.375, 0.02);
    EXPECT_NEAR(tee.y(), 4.88, 0.02);
}

} // namespace
} // namespace skerrow::test
