// Flip and zoom: where the views put the sheet and where a click lands.
#include "display_test_support.h"
#include "image_artist.h"
#include "rink_geometry.h"
#include "rink_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace skerrow::test {
namespace {

const std::vector<ViewOptions> kChanged{{true, 100}, {false, 125}, {true, 125}, {false, 150},
                                        {true, 150}, {false, 200}, {true, 200}};

TEST(ViewOptions, AtOneHundredPerCentUnflippedNothingMoves) {
    EXPECT_TRUE(RinkGeometry::ViewTransform(QSizeF(237, 564), {}).isIdentity());
    EXPECT_EQ(RinkGeometry::ScaleA(100), RinkGeometry::kScaleA);
    EXPECT_EQ(RinkGeometry::ScaleB(100), RinkGeometry::kScaleB);
    for (const QPoint p : {QPoint(84, 36), QPoint(0, 0), QPoint(320, 599), QPoint(-7, 900)}) {
        EXPECT_EQ(RinkGeometry::ShownToDescribedClient(p, {}), p);
        EXPECT_EQ(RinkGeometry::DescribedToShownClient(p, {}), p);
    }
    EXPECT_EQ(RinkGeometry::Zoomed(QRect(84, 36, 237, 564), 100), QRect(84, 36, 237, 564));
}

TEST(ViewOptions, TwoHundredPerCentDoublesTheScaleAndTheLayout) {
    EXPECT_EQ(RinkGeometry::ScaleA(200), 2.0f * RinkGeometry::kScaleA);
    EXPECT_EQ(RinkGeometry::ScaleB(200), 2.0f * RinkGeometry::kScaleB);
    EXPECT_EQ(RinkGeometry::Zoomed(RinkGeometry::kViewAOrigin, 200), QPoint(168, 72));
    // Adjoining rectangles still adjoin at a zoom that rounds.
    const QRect left = RinkGeometry::Zoomed(QRect(11, 36, 63, 564), 125);
    const QRect right = RinkGeometry::Zoomed(QRect(74, 36, 10, 564), 125);
    EXPECT_EQ(left.right() + 1, right.left());

    // The views come out twice as large, the tee stone where twice the scale
    // puts it.
    const RinkRenderer renderer(LoadBuiltImages());
    GameState state = EmptyPosition();
    state.stones[0] = {1.0f, 8.0f};
    RinkExtras extras;
    extras.view.zoomPercent = 200;
    const RinkViews views = renderer.DrawRink(state, -1, -1, state, 0, extras);
    EXPECT_EQ(views.viewA.size(),
              QSize(2 * ImageArtist::kRinkAWidth, 2 * ImageArtist::kRinkAHeight));
    EXPECT_EQ(views.viewB.size(),
              QSize(2 * ImageArtist::kRinkBWidth, 2 * ImageArtist::kRinkBHeight));
    const float s = RinkGeometry::ScaleA(200);
    EXPECT_TRUE(
        IsRedStone(Pixel(views.viewA, static_cast<int>(1.0f * s), static_cast<int>(8.0f * s))));
}

TEST(ViewOptions, StoredZoomsComeBackAsOfferedOnes) {
    EXPECT_EQ(RinkGeometry::OfferedZoom(150), 150);
    EXPECT_EQ(RinkGeometry::OfferedZoom(130), 125);
    EXPECT_EQ(RinkGeometry::OfferedZoom(1000), 200);
    EXPECT_EQ(RinkGeometry::OfferedZoom(0), 100);
    EXPECT_EQ(RinkGeometry::OfferedZoom(-300), 100);
}

// Every pixel of view A, shown with any options, maps back to itself, and
// the view's transform puts the pixel's centre into the block the mouse
// mapping gives it: the aim lands on what is drawn under the pointer.
TEST(ViewOptions, ClickMappingAndDrawingAgreeOnEveryPixel) {
    for (const ViewOptions& options : kChanged) {
        SCOPED_TRACE(testing::Message() << options.flipped << " " << options.zoomPercent);
        const QTransform transform = RinkGeometry::ViewTransform(QSizeF(237, 564), options);
        const QPoint shownOrigin =
            RinkGeometry::Zoomed(RinkGeometry::kViewAOrigin, options.zoomPercent);
        int failures = 0;
        for (int y = 0; y < 564 && failures < 5; y += 3) {
            for (int x = 0; x < 237 && failures < 5; ++x) {
                const QPoint described = RinkGeometry::kViewAOrigin + QPoint(x, y);
                const QPoint shown = RinkGeometry::DescribedToShownClient(described, options);
                const QPointF centre =
                    transform.map(QPointF(x + 0.5, y + 0.5)) + QPointF(shownOrigin);
                const QPoint under(static_cast<int>(std::floor(centre.x())),
                                   static_cast<int>(std::floor(centre.y())));
                if (RinkGeometry::ShownToDescribedClient(shown, options) != described ||
                    RinkGeometry::ShownToDescribedClient(under, options) != described) {
                    ++failures;
                    ADD_FAILURE() << "pixel " << x << ", " << y;
                }
            }
        }
    }
}

// Flipped, the tee's pixel is shown mirrored about the view's middle, and a
// click there aims at the same sheet point as a click on the tee unflipped;
// past the view's edges the drag still reaches the far side of the sheet.
TEST(ViewOptions, FlipMapsAClickToTheSheetPointOfTheUnflippedView) {
    const ViewOptions flipped{true, 100};
    const QPoint tee(84 + 118, 36 + 243);
    const QPoint shownTee = RinkGeometry::DescribedToShownClient(tee, flipped);
    EXPECT_EQ(shownTee, QPoint(84 + 236 - 118, 36 + 563 - 243));
    EXPECT_EQ(
        RinkGeometry::ClientToSheet(RinkGeometry::ShownToDescribedClient(shownTee, flipped).x(),
                                    RinkGeometry::ShownToDescribedClient(shownTee, flipped).y()),
        RinkGeometry::ClientToSheet(tee.x(), tee.y()));
    // Beyond the shown view's top-left the described point lies beyond the
    // sheet's far corner, which the aiming clamps to that corner.
    const QPoint beyond = RinkGeometry::ShownToDescribedClient(QPoint(0, 0), flipped);
    EXPECT_GT(beyond.x(), 320);
    EXPECT_GT(beyond.y(), 599);
}

// Drawn flipped, a stone sits under the pixel where the mapping says its
// sheet point is shown, in both views, and the background turns pixel for
// pixel.
TEST(ViewOptions, FlippedViewsShowTheStoneWhereAClickFindsIt) {
    const RinkRenderer renderer(LoadBuiltImages());
    GameState state = EmptyPosition();
    const StonePosition stone{1.0f, 8.0f};
    state.stones[0] = stone;
    RinkExtras extras;
    extras.view.flipped = true;
    const RinkViews flipped = renderer.DrawRink(state, -1, -1, state, 0, extras);
    const RinkViews plain = renderer.DrawRink(EmptyPosition(), -1, -1, state, 0);
    const RinkViews plainFlipped = renderer.DrawRink(EmptyPosition(), -1, -1, state, 0, extras);
    EXPECT_EQ(plainFlipped.viewA, plain.viewA.mirrored(true, true));
    EXPECT_EQ(plainFlipped.viewB, plain.viewB.mirrored(true, true));

    const QPointF a = RinkGeometry::SheetToViewA(stone.x, stone.y);
    const QPoint described = RinkGeometry::kViewAOrigin + a.toPoint();
    const QPoint shown =
        RinkGeometry::DescribedToShownClient(described, extras.view) - RinkGeometry::kViewAOrigin;
    EXPECT_TRUE(IsRedStone(Pixel(flipped.viewA, shown.x(), shown.y())));
    EXPECT_LT(shown.y(), 564 / 2) << "short of the house, the stone is shown above it";
    const QPointF b = RinkGeometry::SheetToViewB(stone.x, stone.y);
    EXPECT_TRUE(IsRedStone(
        Pixel(flipped.viewB, static_cast<int>(63 - b.x()), static_cast<int>(564 - b.y()))));
}

} // namespace
} // namespace skerrow::test
