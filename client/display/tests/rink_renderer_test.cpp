#include "rink_renderer.h"

#include "display_test_support.h"
#include "image_artist.h"
#include "rink_geometry.h"

#include <QLineF>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace skerrow::test {
namespace {

enum class View { A, B };

const QImage& Pick(const RinkViews& views, View view) {
    return view == View::A ? views.viewA : views.viewB;
}

float ScaleOf(View view) {
    return view == View::A ? RinkGeometry::kScaleA : RinkGeometry::kScaleB;
}

// Pixels where `drawn` differs from `plain` outside all of `allowed`.
int DifferencesOutside(const QImage& drawn, const QImage& plain,
                       std::initializer_list<QRect> allowed) {
    int count = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            bool inside = false;
            for (const QRect& rect : allowed) {
                inside = inside || rect.contains(x, y);
            }
            if (!inside && drawn.pixel(x, y) != plain.pixel(x, y)) {
                ++count;
            }
        }
    }
    return count;
}

bool DiffersInside(const QImage& drawn, const QImage& plain, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (drawn.pixel(x, y) != plain.pixel(x, y)) {
                return true;
            }
        }
    }
    return false;
}

// Distance from point p to the segment from a to b, in pixels.
double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    const QPointF nearest = a + ab * t;
    return QLineF(p, nearest).length();
}

class RinkRendererTest : public ::testing::Test {
protected:
    RinkViews Draw(const GameState& position, int markerX = -1, int markerY = -1,
                   int curl = 0) const {
        return m_renderer.DrawRink(position, markerX, markerY, position, curl);
    }
    RinkViews Plain() const { return Draw(EmptyPosition()); }

    RinkRenderer m_renderer{LoadBuiltImages()};
};

TEST_F(RinkRendererTest, ViewsHaveTheSizesOfTheirBackgrounds) {
    const RinkViews views = Plain();
    EXPECT_EQ(views.viewA.size(), QSize(ImageArtist::kRinkAWidth, ImageArtist::kRinkAHeight));
    EXPECT_EQ(views.viewB.size(), QSize(ImageArtist::kRinkBWidth, ImageArtist::kRinkBHeight));
    EXPECT_FALSE(views.viewA.hasAlphaChannel());
}

// A stone on the tee fills its square in each view and touches nothing else.
struct TeeCase {
    View view;
    QRectF square; // pixels, rounded to 0.01
};

class StoneOnTee : public RinkRendererTest, public ::testing::WithParamInterface<TeeCase> {};

TEST_P(StoneOnTee, FillsItsSquareOnly) {
    const TeeCase c = GetParam();
    const QRectF square = RinkGeometry::StoneSquare({2.375f, 4.88f}, ScaleOf(c.view));
    EXPECT_NEAR(square.left(), c.square.left(), 0.006);
    EXPECT_NEAR(square.top(), c.square.top(), 0.006);
    EXPECT_NEAR(square.width(), c.square.width(), 0.006);
    EXPECT_NEAR(square.height(), c.square.height(), 0.006);

    GameState state = EmptyPosition();
    state.stones[0] = {2.375f, 4.88f};
    const QImage drawn = Pick(Draw(state), c.view);
    const QImage plain = Pick(Plain(), c.view);

    const int cx = static_cast<int>(square.center().x());
    const int cy = static_cast<int>(square.center().y());
    EXPECT_TRUE(IsRedStone(Pixel(drawn, cx, cy))) << Pixel(drawn, cx, cy).name().toStdString();
    const int left = static_cast<int>(std::floor(square.left()));
    const int right = static_cast<int>(std::floor(square.right()));
    const int top = static_cast<int>(std::floor(square.top()));
    const int bottom = static_cast<int>(std::floor(square.bottom()));
    EXPECT_EQ(drawn.pixel(left - 1, cy), plain.pixel(left - 1, cy));
    EXPECT_EQ(drawn.pixel(right + 1, cy), plain.pixel(right + 1, cy));
    EXPECT_EQ(drawn.pixel(cx, top - 1), plain.pixel(cx, top - 1));
    EXPECT_EQ(drawn.pixel(cx, bottom + 1), plain.pixel(cx, bottom + 1));
    EXPECT_EQ(DifferencesOutside(drawn, plain, {QRect(QPoint(left, top), QPoint(right, bottom))}),
              0);
}

INSTANTIATE_TEST_SUITE_P(BothViews, StoneOnTee,
                         ::testing::Values(TeeCase{View::A, QRectF(111.27, 236.25, 14.47, 14.47)},
                                           TeeCase{View::B, QRectF(29.58, 62.80, 3.85, 3.85)}));

// Which side is red follows the shot number's parity against the turn flag
// of the position on show, with C++'s signed remainder.
struct ColourCase {
    int shotNumber;
    int turnFlag;
    bool evenRed;
};

class StoneColours : public RinkRendererTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(StoneColours, FollowShotNumberAndTurnFlag) {
    const ColourCase c = GetParam();
    GameState state = EmptyPosition();
    state.shotNumber = c.shotNumber;
    state.turnFlag = c.turnFlag;
    state.stones[0] = {1.0f, 8.0f};
    state.stones[1] = {3.5f, 8.0f};
    state.stones[2] = {1.0f, 9.5f};
    EXPECT_EQ(RinkRenderer::EvenStonesRed(state), c.evenRed);

    const RinkViews views = Draw(state);
    for (View view : {View::A, View::B}) {
        SCOPED_TRACE(view == View::A ? "view A" : "view B");
        const float s = ScaleOf(view);
        const auto at = [&](float x, float y) {
            return Pixel(Pick(views, view), static_cast<int>(x * s), static_cast<int>(y * s));
        };
        const auto even = c.evenRed ? IsRedStone : IsYellowStone;
        const auto odd = c.evenRed ? IsYellowStone : IsRedStone;
        EXPECT_TRUE(even(at(1.0f, 8.0f))) << "stone 0";
        EXPECT_TRUE(odd(at(3.5f, 8.0f))) << "stone 1";
        EXPECT_TRUE(even(at(1.0f, 9.5f))) << "stone 2";
    }
}

INSTANTIATE_TEST_SUITE_P(Rule, StoneColours,
                         ::testing::Values(ColourCase{3, 1, true}, ColourCase{3, 0, false},
                                           ColourCase{0, 0, true}, ColourCase{0, 1, false},
                                           ColourCase{16, 0, true},
                                           // -1 % 2 is -1: equal only to a flag of -1.
                                           ColourCase{-1, 1, false}, ColourCase{-1, -1, true},
                                           ColourCase{4, 2, false}));

TEST_F(RinkRendererTest, ColoursComeFromThePositionOnShowNotTheFrame) {
    GameState frame = EmptyPosition();
    frame.stones[0] = {1.0f, 8.0f};
    // The frame alone would make stone 0 red (shot 0, red to play) ...
    GameState onShow = EmptyPosition();
    onShow.shotNumber = 3;
    onShow.turnFlag = 0;
    // ... but the position on show makes even stones yellow.
    const RinkViews views = m_renderer.DrawRink(frame, -1, -1, onShow, 0);
    const int x = static_cast<int>(1.0f * RinkGeometry::kScaleA);
    const int y = static_cast<int>(8.0f * RinkGeometry::kScaleA);
    EXPECT_TRUE(IsYellowStone(Pixel(views.viewA, x, y)));
}

// A zero coordinate, compared exactly, marks a stone out of play.
struct InPlayCase {
    float x;
    float y;
    bool drawn;
};

class StoneInPlay : public RinkRendererTest, public ::testing::WithParamInterface<InPlayCase> {};

TEST_P(StoneInPlay, IsDrawnUnlessACoordinateIsZero) {
    const InPlayCase c = GetParam();
    GameState state = EmptyPosition();
    state.stones[7] = {c.x, c.y};
    const RinkViews drawn = Draw(state);
    const RinkViews plain = Plain();
    if (c.drawn) {
        EXPECT_NE(drawn.viewA, plain.viewA);
        EXPECT_NE(drawn.viewB, plain.viewB);
    } else {
        EXPECT_EQ(drawn.viewA, plain.viewA);
        EXPECT_EQ(drawn.viewB, plain.viewB);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Coordinates, StoneInPlay,
    ::testing::Values(InPlayCase{1.0f, 0.0f, false}, InPlayCase{0.0f, 5.0f, false},
                      InPlayCase{0.0f, 0.0f, false}, InPlayCase{-0.0f, 5.0f, false},
                      InPlayCase{1.0f, -0.0f, false},
                      // Partly past the left edge, still drawn.
                      InPlayCase{0.001f, 5.0f, true}, InPlayCase{2.0f, 0.2f, true}));

TEST_F(RinkRendererTest, StoneBeyondViewAShowsOnlyInViewB) {
    GameState state = EmptyPosition();
    state.stones[4] = {2.375f, 20.0f};
    const RinkViews drawn = Draw(state);
    const RinkViews plain = Plain();
    EXPECT_EQ(drawn.viewA, plain.viewA);
    const QPointF centre = RinkGeometry::SheetToViewB(2.375f, 20.0f);
    EXPECT_TRUE(
        IsRedStone(Pixel(drawn.viewB, static_cast<int>(centre.x()), static_cast<int>(centre.y()))));
}

// -1 in either coordinate, as a 16-bit value, hides the marker entirely.
struct Marker {
    int x;
    int y;
};

class NoMarker : public RinkRendererTest, public ::testing::WithParamInterface<Marker> {};

TEST_P(NoMarker, DrawsNeitherIconsNorLine) {
    const RinkViews drawn = Draw(EmptyPosition(), GetParam().x, GetParam().y);
    const RinkViews plain = Plain();
    EXPECT_EQ(drawn.viewA, plain.viewA);
    EXPECT_EQ(drawn.viewB, plain.viewB);
}

INSTANTIATE_TEST_SUITE_P(Values, NoMarker,
                         ::testing::Values(Marker{-1, -1}, Marker{-1, 200}, Marker{200, -1},
                                           Marker{0xFFFF, 200}, Marker{200, 0x1FFFF},
                                           Marker{-1, -36}));

const QRect kLeftIcon(RinkRenderer::kCurveRCorner, QSize(50, 50));
const QRect kRightIcon(RinkRenderer::kCurveLCorner, QSize(50, 50));

// -84 in x or -36 in y, as 16-bit values: the icons show, the line does not.
class IconsWithoutLine : public RinkRendererTest, public ::testing::WithParamInterface<Marker> {};

TEST_P(IconsWithoutLine, ChangeOnlyTheIconSquares) {
    const RinkViews drawn = Draw(EmptyPosition(), GetParam().x, GetParam().y);
    const RinkViews plain = Plain();
    EXPECT_EQ(drawn.viewB, plain.viewB);
    EXPECT_EQ(DifferencesOutside(drawn.viewA, plain.viewA, {kLeftIcon, kRightIcon}), 0);
    EXPECT_TRUE(DiffersInside(drawn.viewA, plain.viewA, kLeftIcon));
    EXPECT_TRUE(DiffersInside(drawn.viewA, plain.viewA, kRightIcon));
}

INSTANTIATE_TEST_SUITE_P(Values, IconsWithoutLine,
                         ::testing::Values(Marker{-84, -36}, Marker{-84, 300}, Marker{100, -36},
                                           Marker{0x10000 - 84, 0x10000 - 36}));

// The first fully opaque arrow pixel of an icon.
std::optional<QPoint> OpaqueArrowPixel(const QImage& icon) {
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor c = icon.pixelColor(x, y);
            if (c.alpha() == 255 && ColourDistance(c, ImageArtist::kArrow) < 8) {
                return QPoint(x, y);
            }
        }
    }
    return std::nullopt;
}

struct CurlCase {
    int curl;
    bool curveRSelected; // the left icon in full, the right one dimmed
};

class CurlIcons : public RinkRendererTest, public ::testing::WithParamInterface<CurlCase> {};

TEST_P(CurlIcons, SelectedInFullOtherAtHalfOpacity) {
    const CurlCase c = GetParam();
    const QImage drawn = Draw(EmptyPosition(), 118, 243, c.curl).viewA;
    const QImage plain = Plain().viewA;
    const RinkImages& images = m_renderer.images();

    const QImage& full = c.curveRSelected ? images.curveR() : images.curveL();
    const QImage& dimmed = c.curveRSelected ? images.curveL() : images.curveR();
    const QPoint fullCorner = c.curveRSelected ? kLeftIcon.topLeft() : kRightIcon.topLeft();
    const QPoint dimmedCorner = c.curveRSelected ? kRightIcon.topLeft() : kLeftIcon.topLeft();

    const std::optional<QPoint> p = OpaqueArrowPixel(full);
    ASSERT_TRUE(p);
    EXPECT_LE(ColourDistance(Pixel(drawn, fullCorner.x() + p->x(), fullCorner.y() + p->y()),
                             full.pixelColor(*p)),
              2);

    const std::optional<QPoint> q = OpaqueArrowPixel(dimmed);
    ASSERT_TRUE(q);
    const QPoint at = dimmedCorner + *q;
    const QColor icon = dimmed.pixelColor(*q);
    const QColor under = Pixel(plain, at.x(), at.y());
    const QColor half((icon.red() + under.red()) / 2, (icon.green() + under.green()) / 2,
                      (icon.blue() + under.blue()) / 2);
    EXPECT_LE(ColourDistance(Pixel(drawn, at.x(), at.y()), half), 3);
    EXPECT_GT(ColourDistance(half, icon), 30) << "the test needs a pixel that tells them apart";
}

INSTANTIATE_TEST_SUITE_P(Values, CurlIcons,
                         ::testing::Values(CurlCase{0, true}, CurlCase{1, false},
                                           CurlCase{7, false}, CurlCase{-1, false}));

// The aiming line runs from the marker towards the delivery point in both
// views, translucent red, and nowhere else.
class AimLine : public RinkRendererTest, public ::testing::WithParamInterface<Marker> {};

TEST_P(AimLine, RunsFromTheMarkerToTheDeliveryPoint) {
    const Marker m = GetParam();
    const RinkViews drawn = Draw(EmptyPosition(), m.x, m.y);
    // Icons without the line, so that the difference is the line alone.
    const RinkViews iconsOnly = Draw(EmptyPosition(), -84, -36);

    struct Case {
        View view;
        QPointF from;
        // px: half the pen width, plus a pixel's half diagonal and a little
        // for the rasterizer's coverage estimate.
        double reach;
    };
    const std::uint16_t mx = static_cast<std::uint16_t>(m.x);
    const std::uint16_t my = static_cast<std::uint16_t>(m.y);
    for (const Case& c : {Case{View::A, QPointF(mx, my), 1.0 + 0.8},
                          Case{View::B, RinkGeometry::MarkerToViewB(mx, my), 0.25 + 0.8}}) {
        SCOPED_TRACE(c.view == View::A ? "view A" : "view B");
        const QImage& image = Pick(drawn, c.view);
        const QImage& base = Pick(iconsOnly, c.view);
        const QPointF to = RinkGeometry::DeliveryPoint(ScaleOf(c.view));

        int stray = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != base.pixel(x, y) &&
                    DistanceToSegment(QPointF(x + 0.5, y + 0.5), c.from, to) > c.reach) {
                    ++stray;
                }
            }
        }
        EXPECT_EQ(stray, 0);

        // Along the segment, inside the view, every row shows the line.
        int missing = 0;
        const int lastRow = std::min(image.height(), static_cast<int>(to.y()) - 1);
        for (int y = static_cast<int>(c.from.y()) + 2; y < lastRow; y += 7) {
            const double t = (y + 0.5 - c.from.y()) / (to.y() - c.from.y());
            const int x = static_cast<int>(c.from.x() + t * (to.x() - c.from.x()));
            if (image.pixel(x, y) == base.pixel(x, y)) {
                ++missing;
            }
        }
        EXPECT_EQ(missing, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Markers, AimLine,
                         ::testing::Values(Marker{118, 243}, Marker{40, 300}, Marker{200, 20},
                                           // Only the low 16 bits count.
                                           Marker{0x10000 + 40, 0x30000 + 300}));

TEST_F(RinkRendererTest, NegativeMarkerIsReadUnsignedForTheLine) {
    // -10 reads as 65526: the line comes in from far to the right, misses
    // view A and enters view B only just above the delivery point. Read
    // signed, it would run down the left of both views.
    const RinkViews drawn = Draw(EmptyPosition(), -10, 300);
    const RinkViews iconsOnly = Draw(EmptyPosition(), -84, -36);
    EXPECT_EQ(drawn.viewA, iconsOnly.viewA);
    EXPECT_NE(drawn.viewB, iconsOnly.viewB);
    EXPECT_EQ(DifferencesOutside(drawn.viewB, iconsOnly.viewB, {QRect(0, 540, 63, 24)}), 0);
}

TEST_F(RinkRendererTest, LaterStoneCoversEarlierOne) {
    GameState state = EmptyPosition();
    state.stones[0] = {1.0f, 8.0f}; // red
    state.stones[1] = {1.0f, 8.0f}; // yellow, on top
    const RinkViews views = Draw(state);
    const int x = static_cast<int>(1.0f * RinkGeometry::kScaleA);
    const int y = static_cast<int>(8.0f * RinkGeometry::kScaleA);
    EXPECT_TRUE(IsYellowStone(Pixel(views.viewA, x, y)));
}

TEST_F(RinkRendererTest, AimLineIsRedAtAlpha100) {
    const QImage drawn = Draw(EmptyPosition(), 40, 300).viewA;
    const QImage plain = Plain().viewA;
    // A pixel of row 500 that the 2-pixel pen covers fully: the band one
    // pixel either side of the line holds it at the row's top and bottom.
    const QPointF to = RinkGeometry::DeliveryPoint(RinkGeometry::kScaleA);
    const auto lineX = [&](double y) { return 40 + (y - 300) / (to.y() - 300) * (to.x() - 40); };
    const int px = static_cast<int>(lineX(500.5));
    ASSERT_TRUE(lineX(500) - 1 <= px && px + 1 <= lineX(501) + 1);
    ASSERT_TRUE(lineX(501) - 1 <= px && px + 1 <= lineX(500) + 1);
    const QColor under = Pixel(plain, px, 500);
    const double a = 100.0 / 255.0;
    const QColor expected(qRound(under.red() + (255 - under.red()) * a),
                          qRound(under.green() * (1 - a)), qRound(under.blue() * (1 - a)));
    EXPECT_LE(ColourDistance(Pixel(drawn, px, 500), expected), 3);
}

class MissingImage : public ::testing::Test {
protected:
    void LoadWithout(const char* file) {
        ASSERT_TRUE(m_dir.isValid());
        CopyBuiltImages(m_dir, file);
        RinkImages images;
        ASSERT_TRUE(images.Load(m_dir.path()));
        m_renderer.emplace(images);
        m_complete.emplace(LoadBuiltImages());
    }

    QTemporaryDir m_dir;
    std::optional<RinkRenderer> m_renderer;
    std::optional<RinkRenderer> m_complete;
};

TEST_F(MissingImage, YellowStoneIsLeftOutRedStillDrawn) {
    LoadWithout(RinkImages::kStoneYellowFile);
    GameState state = EmptyPosition();
    state.stones[0] = {1.0f, 8.0f}; // red: shot 0, red to play
    state.stones[1] = {3.5f, 8.0f}; // yellow
    const RinkViews views = m_renderer->DrawRink(state, -1, -1, state, 0);
    const RinkViews plain = m_complete->DrawRink(EmptyPosition(), -1, -1, state, 0);
    const int s = static_cast<int>(8.0f * RinkGeometry::kScaleA);
    EXPECT_TRUE(IsRedStone(Pixel(views.viewA, static_cast<int>(1.0f * RinkGeometry::kScaleA), s)));
    const QRectF yellow = RinkGeometry::StoneSquare({3.5f, 8.0f}, RinkGeometry::kScaleA);
    EXPECT_FALSE(DiffersInside(views.viewA, plain.viewA, yellow.toAlignedRect()));
    const QRectF yellowB = RinkGeometry::StoneSquare({3.5f, 8.0f}, RinkGeometry::kScaleB);
    EXPECT_FALSE(DiffersInside(views.viewB, plain.viewB, yellowB.toAlignedRect()));
}

TEST_F(MissingImage, ViewWithoutBackgroundIsNotDrawn) {
    LoadWithout(RinkImages::kRinkBFile);
    GameState state = EmptyPosition();
    state.stones[0] = {2.375f, 20.0f};
    const RinkViews views = m_renderer->DrawRink(state, 118, 243, state, 0);
    EXPECT_TRUE(views.viewB.isNull());
    EXPECT_EQ(views.viewA, m_complete->DrawRink(state, 118, 243, state, 0).viewA);
}

TEST_F(MissingImage, IconIsLeftOutTheOtherStillDrawn) {
    LoadWithout(RinkImages::kCurveRFile);
    const RinkViews views = m_renderer->DrawRink(EmptyPosition(), -84, -36, EmptyPosition(), 0);
    const RinkViews plain = m_complete->DrawRink(EmptyPosition(), -1, -1, EmptyPosition(), 0);
    EXPECT_FALSE(DiffersInside(views.viewA, plain.viewA, kLeftIcon));
    EXPECT_TRUE(DiffersInside(views.viewA, plain.viewA, kRightIcon));
}

} // namespace
} // namespace skerrow::test
