#include "image_artist.h"

#include "display_test_support.h"
#include "rink_geometry.h"
#include "score_board_layout.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace skerrow::test {
namespace {

// The files the build wrote, as the program will read them.
QImage Built(const char* name) {
    const QImage image(QDir(BuiltImageFolder()).filePath(QString::fromLatin1(name)));
    EXPECT_FALSE(image.isNull()) << name;
    return image;
}

struct SizeCase {
    const char* file;
    QSize size;
    bool alpha;
};

class BuiltImage : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BuiltImage, HasItsSizeAndTransparency) {
    const SizeCase& c = GetParam();
    const QImage image = Built(c.file);
    EXPECT_EQ(image.size(), c.size);
    EXPECT_EQ(image.hasAlphaChannel(), c.alpha);
    if (c.alpha) {
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "corners must be transparent";
        EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1).alpha(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BuiltImage,
                         ::testing::Values(SizeCase{"Rink_A.bmp", {237, 564}, false},
                                           SizeCase{"Rink_B.bmp", {63, 564}, false},
                                           SizeCase{"stone_r.png", {64, 64}, true},
                                           SizeCase{"stone_y.png", {64, 64}, true},
                                           SizeCase{"CurveL.png", {50, 50}, true},
                                           SizeCase{"CurveR.png", {50, 50}, true}));

// Marks of the sheet where the renderer's scale puts them: a pixel on the
// mark shows its colour, one a few pixels off shows plain ice.
struct MarkCase {
    const char* what;
    const char* file;
    QPoint on;
    QColor colour;
    QPoint off;
    int tolerance = 12; // a line off the pixel grid covers its pixel only in part
};

class SheetMark : public ::testing::TestWithParam<MarkCase> {};

TEST_P(SheetMark, LiesWhereTheScalePutsIt) {
    const MarkCase& c = GetParam();
    const QImage image = Built(c.file);
    EXPECT_LE(ColourDistance(image.pixelColor(c.on), c.colour), c.tolerance)
        << c.what << ": " << image.pixelColor(c.on).name().toStdString();
    EXPECT_LE(ColourDistance(image.pixelColor(c.off), ImageArtist::kIce), 2) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Marks, SheetMark,
    ::testing::Values(
        // View A, 49.89474 px/m: tee line 243.49, back line 152.18, hog line
        // 562.82, centre line 118.5; x 10 lies outside the house.
        MarkCase{"tee line", "Rink_A.bmp", {10, 243}, ImageArtist::kSheetLine, {10, 239}},
        MarkCase{"back line", "Rink_A.bmp", {10, 152}, ImageArtist::kSheetLine, {10, 148}},
        MarkCase{"hog line", "Rink_A.bmp", {10, 562}, ImageArtist::kHogLine, {10, 556}},
        MarkCase{"centre line", "Rink_A.bmp", {118, 400}, ImageArtist::kSheetLine, {114, 400}},
        MarkCase{"left side line", "Rink_A.bmp", {0, 400}, ImageArtist::kSheetLine, {4, 400}},
        MarkCase{"right side line", "Rink_A.bmp", {236, 400}, ImageArtist::kSheetLine, {232, 400}},
        // The outer ring, 1.83 m about the tee: its lowest point on the
        // centre line is y 334.79, its left end on the tee line x 27.19.
        MarkCase{"house below", "Rink_A.bmp", {115, 333}, ImageArtist::kTwelveFoot, {115, 337}},
        MarkCase{"house left", "Rink_A.bmp", {29, 236}, ImageArtist::kTwelveFoot, {25, 236}},
        // Just below the back line the ring starts at once: its top is on it.
        MarkCase{"house top", "Rink_A.bmp", {115, 155}, ImageArtist::kTwelveFoot, {115, 148}},
        // The four-foot ring, 0.61 m about the tee: left end x 88.06.
        MarkCase{"four-foot", "Rink_A.bmp", {90, 236}, ImageArtist::kFourFoot, {60, 400}},
        // View B, 13.26318 px/m: hog line 149.61, tee line 64.72 (a pixel
        // wide, so row 64 is four fifths line), delivery point (31.5, 547.5),
        // outer ring's lowest point 89.0.
        MarkCase{"hog line in B", "Rink_B.bmp", {10, 149}, ImageArtist::kHogLine, {10, 145}},
        MarkCase{"tee line in B", "Rink_B.bmp", {3, 64}, ImageArtist::kSheetLine, {3, 61}, 50},
        MarkCase{"delivery mark", "Rink_B.bmp", {34, 547}, ImageArtist::kSheetLine, {34, 552}},
        MarkCase{"house in B", "Rink_B.bmp", {28, 86}, ImageArtist::kTwelveFoot, {28, 91}}),
    [](const ::testing::TestParamInfo<MarkCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

// Mean x of the arrow's pixels in rows [top, bottom).
double ArrowX(const QImage& icon, int top, int bottom) {
    double sum = 0;
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor c = icon.pixelColor(x, y);
            if (c.alpha() > 200 && ColourDistance(c, ImageArtist::kArrow) < 40) {
                sum += x;
                ++count;
            }
        }
    }
    EXPECT_GT(count, 0);
    return count ? sum / count : 0;
}

TEST(CurlIcons, BendTheWayTheirCurlTurns) {
    // A delivered stone travels up the view, towards smaller y.
    const QImage right = Built("CurveR.png");
    const QImage left = Built("CurveL.png");
    EXPECT_GT(ArrowX(right, 5, 18), ArrowX(right, 32, 46) + 8) << "CurveR ends to the right";
    EXPECT_LT(ArrowX(left, 5, 18), ArrowX(left, 32, 46) - 8) << "CurveL ends to the left";
}

TEST(Stones, ShowTheirColourInTheMiddle) {
    EXPECT_LE(ColourDistance(Built("stone_r.png").pixelColor(32, 32), ImageArtist::kRedStone), 2);
    EXPECT_LE(ColourDistance(Built("stone_y.png").pixelColor(32, 32), ImageArtist::kYellowStone),
              2);
}

// The score board's grid lies between the cells the window puts over it.
TEST(ScoreBoardPicture, GridFallsBetweenTheCells) {
    using Layout = ScoreBoardLayout;
    const QImage board = Built("Score.bmp");
    const auto isGrid = [&](int x, int y) {
        return ColourDistance(board.pixelColor(x, y), ImageArtist::kGrid) < 40;
    };
    for (int id = Layout::kRedNameId; id <= Layout::kLastCellId; ++id) {
        SCOPED_TRACE(id);
        const QRect cell = Layout::CellInPicture(id);
        ASSERT_TRUE(board.rect().contains(cell));
        int grid = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                grid += isGrid(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(grid, 0);
    }
    // Between neighbours in a row, and between the rows, there is a line.
    for (int id : {Layout::kRedNameId, Layout::kYellowNameId}) {
        const int firstEnd =
            id == Layout::kRedNameId ? Layout::kFirstRedEndId : Layout::kFirstYellowEndId;
        std::vector<int> row{id};
        for (int end = 0; end < kEnds; ++end) {
            row.push_back(firstEnd + end);
        }
        row.push_back(id == Layout::kRedNameId ? Layout::kRedTotalId : Layout::kYellowTotalId);
        for (std::size_t i = 0; i + 1 < row.size(); ++i) {
            SCOPED_TRACE(row[i]);
            const QRect a = Layout::CellInPicture(row[i]);
            const QRect b = Layout::CellInPicture(row[i + 1]);
            bool line = false;
            for (int x = a.right() + 1; x < b.left(); ++x) {
                line = line || isGrid(x, a.center().y());
            }
            EXPECT_TRUE(line);
        }
    }
    const QRect red = Layout::CellInPicture(Layout::kFirstRedEndId + 4);
    const QRect yellow = Layout::CellInPicture(Layout::kFirstYellowEndId + 4);
    bool line = false;
    for (int y = red.bottom() + 1; y < yellow.top(); ++y) {
        line = line || isGrid(red.center().x(), y);
    }
    EXPECT_TRUE(line);
}

} // namespace
} // namespace skerrow::test
