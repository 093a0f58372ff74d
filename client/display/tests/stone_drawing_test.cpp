// Stones that read on every ring, the last stone's mark and the predicted
// path of a delivery.
#include "display_test_support.h"
#include "hand_shot.h"
#include "match_numbers.h"
#include "physics_binding.h"
#include "rink_geometry.h"
#include "rink_renderer.h"
#include "shot_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace skerrow::test {
namespace {

struct Place {
    const char* ring;
    StonePosition at; // the whole stone lies on that ring
};

// A stone lying wholly on each ring and on the ice, of each colour, in each
// view and at each zoom, has an edge that differs from what lies under it:
// the rim and the granite, not only the top, set it apart.
TEST(StoneDrawing, EveryStoneStandsOutOnEveryRing) {
    // Off the centre and tee lines, which are dark themselves; the stone on
    // the tee covers the button.
    const float d = std::numbers::sqrt2_v<float> / 2;
    const std::vector<Place> places{
        {"ice", {1.0f, 9.0f}},
        {"twelve-foot", {kTeeX + 1.52f * d, kTeeY + 1.52f * d}},
        {"eight-foot", {kTeeX - 0.92f * d, kTeeY + 0.92f * d}},
        {"four-foot", {kTeeX + 0.38f * d, kTeeY - 0.38f * d}},
        {"button", {kTeeX, kTeeY}},
    };
    const RinkRenderer renderer(LoadBuiltImages());
    for (const int zoom : {100, 200}) {
        for (const Place& place : places) {
            for (const bool red : {true, false}) {
                GameState state = EmptyPosition();
                state.stones[red ? 0 : 1] = place.at;
                RinkExtras extras;
                extras.view.zoomPercent = zoom;
                const RinkViews drawn = renderer.DrawRink(state, -1, -1, state, 0, extras);
                const RinkViews plain =
                    renderer.DrawRink(EmptyPosition(), -1, -1, state, 0, extras);
                for (const bool viewA : {true, false}) {
                    SCOPED_TRACE(testing::Message() << place.ring << (red ? " red" : " yellow")
                                                    << (viewA ? " A " : " B ") << zoom);
                    const float scale =
                        viewA ? RinkGeometry::ScaleA(zoom) : RinkGeometry::ScaleB(zoom);
                    const QImage& image = viewA ? drawn.viewA : drawn.viewB;
                    const QImage& under = viewA ? plain.viewA : plain.viewB;
                    const QRectF square = RinkRenderer::DrawnStoneSquare(
                        place.at, viewA ? RinkGeometry::kScaleA : RinkGeometry::kScaleB, zoom);
                    const double side = square.width() * RinkGeometry::ZoomFactor(zoom);
                    EXPECT_GE(side, RinkRenderer::kMinStonePixels - 1e-4);
                    const QPointF centre(place.at.x * scale, place.at.y * scale);
                    // The band between the top and the edge, where the
                    // granite and the rim lie, in the mean: at 5 pixels across
                    // each pixel there mixes the top, the granite and the ice.
                    const double radius = side / 2;
                    double sum = 0;
                    int count = 0;
                    for (int y = static_cast<int>(centre.y() - radius); y <= centre.y() + radius;
                         ++y) {
                        for (int x = static_cast<int>(centre.x() - radius);
                             x <= centre.x() + radius; ++x) {
                            const double r = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
                            if (r >= 0.45 * radius && r <= 0.8 * radius) {
                                sum += ColourDistance(Pixel(image, x, y), Pixel(under, x, y));
                                ++count;
                            }
                        }
                    }
                    ASSERT_GT(count, 0);
                    EXPECT_GE(sum / count, 60.0);
                    const QColor middle =
                        Pixel(image, static_cast<int>(centre.x()), static_cast<int>(centre.y()));
                    EXPECT_TRUE(red ? IsRedStone(middle) : IsYellowStone(middle));
                }
            }
        }
    }
}

// The stone played last wears a ring just outside it; no other stone does,
// and without a last stone nothing is added.
TEST(StoneDrawing, TheLastStonePlayedIsRinged) {
    const RinkRenderer renderer(LoadBuiltImages());
    GameState state = EmptyPosition();
    state.shotNumber = 2;
    state.stones[0] = {1.0f, 8.0f};
    state.stones[1] = {3.5f, 8.0f};
    RinkExtras extras;
    const RinkViews unmarked = renderer.DrawRink(state, -1, -1, state, 0, extras);
    extras.lastStone = 1;
    const RinkViews marked = renderer.DrawRink(state, -1, -1, state, 0, extras);
    for (const bool viewA : {true, false}) {
        SCOPED_TRACE(viewA ? "view A" : "view B");
        const float scale = viewA ? RinkGeometry::kScaleA : RinkGeometry::kScaleB;
        const QImage& a = viewA ? marked.viewA : marked.viewB;
        const QImage& b = viewA ? unmarked.viewA : unmarked.viewB;
        int changedNearLast = 0;
        int changedElsewhere = 0;
        const QRectF last =
            RinkRenderer::DrawnStoneSquare(state.stones[1], scale, 100).adjusted(-4, -4, 4, 4);
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    (last.contains(x + 0.5, y + 0.5) ? changedNearLast : changedElsewhere) += 1;
                }
            }
        }
        EXPECT_GT(changedNearLast, viewA ? 30 : 8);
        EXPECT_EQ(changedElsewhere, 0);
        const QPointF ring =
            RinkGeometry::SheetToView(3.5f, 8.0f, scale) +
            QPointF(RinkRenderer::DrawnStoneSquare(state.stones[1], scale, 100).width() / 2 +
                        (viewA ? 2.0 : 1.5),
                    0.0);
        EXPECT_LE(ColourDistance(Pixel(a, static_cast<int>(ring.x()), static_cast<int>(ring.y())),
                                 RinkRenderer::kLastStoneRing),
                  90);
    }
    // A stone out of play, or no such stone, is not ringed.
    extras.lastStone = 5;
    EXPECT_EQ(renderer.DrawRink(state, -1, -1, state, 0, extras).viewA, unmarked.viewA);
    extras.lastStone = 99;
    EXPECT_EQ(renderer.DrawRink(state, -1, -1, state, 0, extras).viewA, unmarked.viewA);
}

class PredictedPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_physics.Load()) << m_physics.failureDetail().toStdString();
        ASSERT_TRUE(m_physics.hasTrace());
    }
    PhysicsBinding m_physics{QStringLiteral(TARNWICK_DIR)};
};

// A draw to the tee runs from the delivery point to where Simulation leaves
// the stone, curling on the way, and is drawn in both views.
TEST_F(PredictedPath, RunsFromTheDeliveryPointToWhereTheStoneRests) {
    GameState start = EmptyPosition();
    start.shotNumber = 3;
    start.turnFlag = 1;
    start.stones[0] = {2.0f, 4.5f};
    ShotVec draw{};
    ASSERT_TRUE(m_physics.CreateShot({kTeeX, kTeeY, 0}, draw));

    const std::vector<StonePosition> path =
        ShotPath::Predict(m_physics.simulationTrace(), start, draw);
    ASSERT_GT(path.size(), 100u);
    EXPECT_FLOAT_EQ(path.front().x, kDeliveryX);
    EXPECT_FLOAT_EQ(path.front().y, kDeliveryY);
    GameState rest = start;
    ASSERT_EQ(m_physics.simulation()(&rest, draw, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(path.back().x, rest.stones[3].x);
    EXPECT_EQ(path.back().y, rest.stones[3].y);
    // It bends: the middle lies off the straight line between its ends.
    const StonePosition mid = path[path.size() / 2];
    const double straightX = path.front().x + (path.back().x - path.front().x) *
                                                  (mid.y - path.front().y) /
                                                  (path.back().y - path.front().y);
    EXPECT_GT(std::abs(mid.x - straightX), 0.05);

    const RinkRenderer renderer(LoadBuiltImages());
    RinkExtras extras;
    extras.path = path;
    const RinkViews with = renderer.DrawRink(start, -1, -1, start, 0, extras);
    const RinkViews without = renderer.DrawRink(start, -1, -1, start, 0);
    EXPECT_NE(with.viewA, without.viewA);
    EXPECT_NE(with.viewB, without.viewB);
    extras.path.resize(1);
    EXPECT_EQ(renderer.DrawRink(start, -1, -1, start, 0, extras).viewA, without.viewA);
}

TEST_F(PredictedPath, IsEmptyWhereNothingCanBePredicted) {
    GameState start = EmptyPosition();
    const ShotVec draw{0.05f, -2.4f, 0};
    EXPECT_TRUE(ShotPath::Predict(nullptr, start, draw).empty());
    start.shotNumber = 16;
    EXPECT_TRUE(ShotPath::Predict(m_physics.simulationTrace(), start, draw).empty());
    start.shotNumber = 0;
    EXPECT_TRUE(ShotPath::Predict(m_physics.simulationTrace(), start, {NAN, -2.0f, 0}).empty());
    // Thrown through the back of the house and off the sheet: the path stops
    // where the stone leaves play.
    const std::vector<StonePosition> out =
        ShotPath::Predict(m_physics.simulationTrace(), start, {0.0f, -5.0f, 0});
    ASSERT_FALSE(out.empty());
    EXPECT_GT(out.back().y, -1.0f);
}

// Each weight, aimed at a point in front of the house on an empty sheet,
// gives a path through that point that ends where the weight says: short of
// the house, on the back line.
TEST_F(PredictedPath, HandWeightsEndWhereTheirWeightSays) {
    const GameState start = EmptyPosition();
    const ShotPos target{kTeeX, 8.5f, 0};
    const auto endOf = [&](HandWeight weight) {
        const std::optional<ShotVec> shot =
            HandShot::Plan(m_physics.createShot(), m_physics.createHitShot(), target, weight);
        EXPECT_TRUE(shot);
        const std::vector<StonePosition> path =
            shot ? ShotPath::Predict(m_physics.simulationTrace(), start, *shot)
                 : std::vector<StonePosition>{};
        EXPECT_FALSE(path.empty());
        return path.empty() ? StonePosition{} : path.back();
    };
    EXPECT_NEAR(endOf(HandWeight::Draw).y, 8.5f, 0.3f);
    const float guard = endOf(HandWeight::Guard).y;
    EXPECT_GT(guard, kTeeY + kHouseRadius);
    EXPECT_LT(guard, 8.5f);
    EXPECT_LT(endOf(HandWeight::Takeout).y, kTeeY - 1.5f);

    EXPECT_FALSE(HandShot::Plan(nullptr, nullptr, target, HandWeight::Draw));
    EXPECT_FALSE(HandShot::Plan(m_physics.createShot(), nullptr, target, HandWeight::Guard));
    EXPECT_FALSE(HandShot::Plan(m_physics.createShot(), m_physics.createHitShot(), {NAN, 8.5f, 0},
                                HandWeight::Takeout));
}

} // namespace
} // namespace skerrow::test
