#include "image_artist.h"

#include "rink_geometry.h"
#include "rink_images.h"
#include "score_board_layout.h"

#include <QDir>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <vector>

namespace skerrow {

namespace {

using Geo = RinkGeometry;

// Widths of the painted sheet lines, in pixels of each view. Real lines are
// thinner than a pixel of view B; these are chosen to be seen.
struct LineWidths {
    qreal line;
    qreal hogLine;
    qreal sideLine;
};

// A band across the sheet at `y` metres, `width` pixels thick.
void FillAcross(QPainter& painter, float y, float scale, qreal width, QColor colour) {
    const qreal centre = y * scale;
    painter.fillRect(QRectF(0.0, centre - width / 2, kSheetWidth * scale, width), colour);
}

void FillCircle(QPainter& painter, QPointF centre, qreal radius, QColor colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, radius, radius);
}

// The sheet at `scale` px/m from (0, 0): ice, house, lines; `length` is how
// far down the centre line runs, in metres.
QImage PaintSheet(QSize size, float scale, LineWidths widths, float length) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ImageArtist::kIce);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPointF tee = Geo::SheetToView(kTeeX, kTeeY, scale);
    FillCircle(painter, tee, kHouseRadius * scale, ImageArtist::kTwelveFoot);
    FillCircle(painter, tee, Geo::kEightFootRadius * scale, Qt::white);
    FillCircle(painter, tee, Geo::kFourFootRadius * scale, ImageArtist::kFourFoot);
    FillCircle(painter, tee, Geo::kButtonRadius * scale, Qt::white);

    // The centre line starts 3.66 m (12 feet) behind the tee, as on the ice.
    constexpr float kCentreLineStart = kTeeY - 3.66f; // m
    const qreal centreX = kCentreLineX * scale;
    painter.fillRect(QRectF(centreX - widths.line / 2, kCentreLineStart * scale, widths.line,
                            (length - kCentreLineStart) * scale),
                     ImageArtist::kSheetLine);
    FillAcross(painter, kBackLineY, scale, widths.line, ImageArtist::kSheetLine);
    FillAcross(painter, kTeeY, scale, widths.line, ImageArtist::kSheetLine);
    FillAcross(painter, kHogLineY, scale, widths.hogLine, ImageArtist::kHogLine);

    // Side lines, inside the picture: x 0 lies on its left edge and x 4.75 on
    // its right edge.
    const qreal right = kSheetWidth * scale;
    painter.fillRect(QRectF(0.0, 0.0, widths.sideLine, size.height()), ImageArtist::kSheetLine);
    painter.fillRect(QRectF(right - widths.sideLine, 0.0, widths.sideLine, size.height()),
                     ImageArtist::kSheetLine);
    return image;
}

// A path whose end bends towards +x while it runs up the icon (towards
// smaller y), with an arrow head at the end; 50 x 50 pixels.
QImage PaintCurveRight() {
    QImage image(ImageArtist::kIconSize, ImageArtist::kIconSize,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A light backdrop, so the arrow reads on the ice and on stones.
    painter.setPen(QPen(QColor(90, 100, 140, 220), 1.5));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 47, 47), 8, 8);

    const QPointF start(17, 44);
    const QPointF control1(17, 26);
    const QPointF control2(21, 14);
    const QPointF end(34, 10);
    QPainterPath path(start);
    path.cubicTo(control1, control2, end);
    QPen pen(ImageArtist::kArrow, 4.0);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    // The head points along the path's last tangent.
    QLineF tangent(control2, end);
    tangent.setLength(1.0);
    const QPointF along(tangent.dx(), tangent.dy());
    const QPointF across(-along.y(), along.x());
    const QPointF tip = end + along * 8.0;
    const QPolygonF head{tip, end - along * 2.0 + across * 7.0, end - along * 2.0 - across * 7.0};
    painter.setPen(Qt::NoPen);
    painter.setBrush(ImageArtist::kArrow);
    painter.drawPolygon(head);
    return image;
}

// Seven-segment digits for the score board's headings: no font needed.
// Segments a to g as bits 0 to 6 (a top, b top right, c bottom right, d
// bottom, e bottom left, f top left, g middle).
constexpr std::array<unsigned, 10> kSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                             0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// One digit in the box from `topLeft`, `width` x 2·`half` pixels.
void PaintDigit(QPainter& painter, QPointF topLeft, qreal width, qreal half, int digit) {
    const QPointF a = topLeft;
    const QPointF b = topLeft + QPointF(width, 0);
    const QPointF c = topLeft + QPointF(0, half);
    const QPointF d = topLeft + QPointF(width, half);
    const QPointF e = topLeft + QPointF(0, 2 * half);
    const QPointF f = topLeft + QPointF(width, 2 * half);
    const std::array<QLineF, 7> segments{QLineF(a, b), QLineF(b, d), QLineF(d, f), QLineF(e, f),
                                         QLineF(c, e), QLineF(a, c), QLineF(c, d)};
    for (std::size_t s = 0; s < segments.size(); ++s) {
        if (kSegments[static_cast<std::size_t>(digit)] & (1u << s)) {
            painter.drawLine(segments[s]);
        }
    }
}

// A number centred on `centreX`, the digits' tops at `top`.
void PaintNumber(QPainter& painter, qreal centreX, qreal top, int number) {
    constexpr qreal kWidth = 4.0; // px
    constexpr qreal kHalf = 5.0;  // px, half a digit's height
    constexpr qreal kGap = 3.0;   // px between digits
    const QString digits = QString::number(number);
    const qreal total = digits.size() * kWidth + (digits.size() - 1) * kGap;
    // Strokes on pixel centres stay sharp.
    qreal x = std::floor(centreX - total / 2) + 0.5;
    const qreal y = std::floor(top) + 0.5;
    for (const QChar ch : digits) {
        const int digit = ch.digitValue();
        // A lone 1 is drawn on the middle of its box rather than on its right.
        const qreal shift = digit == 1 && digits.size() == 1 ? -std::floor(kWidth / 2) : 0.0;
        PaintDigit(painter, QPointF(x + shift, y), kWidth, kHalf, digit);
        x += kWidth + kGap;
    }
}

// A summation sign centred on `centreX`, as the totals' heading.
void PaintSum(QPainter& painter, qreal centreX, qreal top) {
    centreX = std::floor(centreX) + 0.5;
    top = std::floor(top) + 0.5;
    const QPolygonF sign{QPointF(centreX + 3, top), QPointF(centreX - 3, top),
                         QPointF(centreX + 1, top + 5), QPointF(centreX - 3, top + 10),
                         QPointF(centreX + 3, top + 10)};
    painter.drawPolyline(sign);
}

// Columns of the board, left to right: names, ends 1 to 10, totals. Each
// spans the red and the yellow cell, which differ in width in one column.
struct Column {
    int left;  // first pixel, relative to the picture
    int right; // last pixel
};

std::vector<Column> BoardColumns() {
    using Layout = ScoreBoardLayout;
    std::vector<int> red{Layout::kRedNameId};
    std::vector<int> yellow{Layout::kYellowNameId};
    for (int end = 0; end < kEnds; ++end) {
        red.push_back(Layout::kFirstRedEndId + end);
        yellow.push_back(Layout::kFirstYellowEndId + end);
    }
    red.push_back(Layout::kRedTotalId);
    yellow.push_back(Layout::kYellowTotalId);
    std::vector<Column> columns;
    for (std::size_t i = 0; i < red.size(); ++i) {
        const QRect r = Layout::CellInPicture(red[i]);
        const QRect y = Layout::CellInPicture(yellow[i]);
        columns.push_back({qMin(r.left(), y.left()), qMax(r.right(), y.right())});
    }
    return columns;
}

} // namespace

QImage ImageArtist::RinkA() {
    // View A reaches just past the hog line; the centre line runs through.
    return PaintSheet(QSize(kRinkAWidth, kRinkAHeight), Geo::kScaleA, {2.0, 4.0, 2.0},
                      kRinkAHeight / Geo::kScaleA);
}

QImage ImageArtist::RinkB() {
    QImage image =
        PaintSheet(QSize(kRinkBWidth, kRinkBHeight), Geo::kScaleB, {1.0, 1.5, 1.0}, kDeliveryY);
    // The delivery point: a short bar across the end of the centre line, like
    // the hack a player pushes off from.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF delivery = Geo::DeliveryPoint(Geo::kScaleB);
    painter.fillRect(QRectF(delivery.x() - 4.0, delivery.y() - 1.0, 8.0, 2.0), kSheetLine);
    return image;
}

QImage ImageArtist::Stone(QColor top) {
    QImage image(kStoneSize, kStoneSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kStoneSize / 2.0, kStoneSize / 2.0);

    // Radii, in pixels of the picture. The rim and the granite are wide
    // enough to stay a pixel or two when the stone is shrunk to 15 pixels in
    // view A; at 5 pixels in view B they still darken the stone's edge.
    constexpr qreal kOuter = 31.5;
    constexpr qreal kGranite = 27.0;
    constexpr qreal kTop = 18.0;

    FillCircle(painter, centre, kOuter, kStoneRim);
    // Granite lit from the top left, with a few darker grains.
    QRadialGradient granite(centre - QPointF(9, 9), kGranite * 1.6);
    granite.setColorAt(0.0, kGraniteLight);
    granite.setColorAt(1.0, kGraniteDark);
    painter.setBrush(granite);
    painter.drawEllipse(centre, kGranite, kGranite);
    painter.setBrush(kGraniteDark.darker(130));
    for (int grain = 0; grain < 24; ++grain) {
        const double angle = grain * 2.39996; // the golden angle spreads them evenly
        const double radius = kTop + 2.5 + (grain % 3) * 2.2;
        painter.drawEllipse(centre + QPointF(std::cos(angle), std::sin(angle)) * radius, 0.9, 0.9);
    }

    // The coloured top, ringed by a shadow line; its middle stays plain, so
    // that a stone shrunk to a few pixels still shows its colour.
    painter.setPen(QPen(top.darker(180), 1.5));
    painter.setBrush(top);
    painter.drawEllipse(centre, kTop, kTop);

    // The handle's grip, off the middle towards the top.
    painter.setPen(Qt::NoPen);
    painter.setBrush(top.darker(150));
    painter.drawRoundedRect(QRectF(centre.x() - 4, 17.0, 8.0, 9.0), 3.0, 3.0);
    return image;
}

QImage ImageArtist::CurveR() {
    return PaintCurveRight();
}

QImage ImageArtist::CurveL() {
    return PaintCurveRight().mirrored(true, false);
}

QImage ImageArtist::ScoreBoard() {
    using Layout = ScoreBoardLayout;
    const std::vector<Column> columns = BoardColumns();
    const QRect redName = Layout::CellInPicture(Layout::kRedNameId);
    const QRect yellowName = Layout::CellInPicture(Layout::kYellowNameId);

    // Grid, in pixels of the picture: the frame two pixels outside the cells,
    // a heading band above the red row, and lines half way between cells.
    const int frameLeft = columns.front().left - 2;
    const int frameRight = columns.back().right + 3;
    const int frameTop = 1;
    const int headingLine = redName.top() - 6;
    const int rowLine = (redName.bottom() + 1 + yellowName.top()) / 2;
    const int frameBottom = yellowName.bottom() + 6;

    QImage image(frameRight + 2, frameBottom + 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const auto band = [&](int top, int bottom, QColor colour) {
        painter.fillRect(QRect(QPoint(frameLeft, top), QPoint(frameRight, bottom)), colour);
    };
    band(frameTop, headingLine, QColor(225, 232, 244));
    band(headingLine, rowLine, QColor(252, 226, 226)); // red row
    band(rowLine, frameBottom, QColor(252, 244, 205)); // yellow row

    // The cells themselves are white, as the window paints them.
    for (int id = Layout::kRedNameId; id <= Layout::kLastCellId; ++id) {
        painter.fillRect(Layout::CellInPicture(id), Qt::white);
    }

    painter.setPen(kGrid);
    painter.drawLine(frameLeft, frameTop, frameRight, frameTop);
    painter.drawLine(frameLeft, frameBottom, frameRight, frameBottom);
    painter.drawLine(frameLeft, frameTop, frameLeft, frameBottom);
    painter.drawLine(frameRight, frameTop, frameRight, frameBottom);
    painter.drawLine(frameLeft, headingLine, frameRight, headingLine);
    painter.drawLine(frameLeft, rowLine, frameRight, rowLine);
    for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
        const int x = (columns[i].right + 1 + columns[i + 1].left) / 2;
        painter.drawLine(x, frameTop, x, frameBottom);
    }

    // Headings: end numbers and the sum sign, drawn centred over each column.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kGrid, 1.2));
    const qreal headingTop = (frameTop + headingLine) / 2.0 - 5.0;
    for (int end = 1; end <= kEnds; ++end) {
        const Column column = columns[static_cast<std::size_t>(end)];
        PaintNumber(painter, (column.left + column.right + 1) / 2.0, headingTop, end);
    }
    const Column total = columns.back();
    PaintSum(painter, (total.left + total.right + 1) / 2.0, headingTop);
    return image;
}

bool ImageArtist::WriteAll(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(folder);
        }
        return false;
    }
    const QDir dir(folder);
    const std::array<std::pair<const char*, QImage>, 7> files{{
        {RinkImages::kRinkAFile, RinkA()},
        {RinkImages::kRinkBFile, RinkB()},
        {RinkImages::kStoneRedFile, Stone(kRedStone)},
        {RinkImages::kStoneYellowFile, Stone(kYellowStone)},
        {RinkImages::kCurveLFile, CurveL()},
        {RinkImages::kCurveRFile, CurveR()},
        {RinkImages::kScoreFile, ScoreBoard()},
    }};
    for (const auto& [name, image] : files) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!image.save(path)) {
            if (error) {
                *error = QStringLiteral("cannot write %1").arg(path);
            }
            return false;
        }
    }
    return true;
}

} // namespace skerrow
