#include "rink_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace skerrow {

namespace {

// View A's size in the layout, in pixels: 4.75 m across, down past the hog
// line and the curl icons.
constexpr int kViewAWidth = 237;
constexpr int kViewAHeight = 564;

// One pixel index of view A along an axis, between the layout and the
// screen. A shown pixel belongs to the layout pixel its centre falls in;
// turned by half a turn, index i of n becomes n - 1 - i, which maps the
// pixel's centre i + 0.5 to n - (i + 0.5), as the view's transform does.
int ShownToDescribedIndex(int shown, int origin, int length, ViewOptions options) {
    const double zoom = RinkGeometry::ZoomFactor(options.zoomPercent);
    const int zoomedOrigin = RinkGeometry::Zoomed(origin, options.zoomPercent);
    const int index = static_cast<int>(std::floor((shown - zoomedOrigin + 0.5) / zoom));
    return origin + (options.flipped ? length - 1 - index : index);
}

int DescribedToShownIndex(int described, int origin, int length, ViewOptions options) {
    int index = described - origin;
    if (options.flipped) {
        index = length - 1 - index;
    }
    const double zoom = RinkGeometry::ZoomFactor(options.zoomPercent);
    return RinkGeometry::Zoomed(origin, options.zoomPercent) +
           static_cast<int>(std::ceil(index * zoom - 0.5));
}

} // namespace

QPointF RinkGeometry::SheetToView(float x, float y, float scale) {
    return {x * scale, y * scale};
}

QRectF RinkGeometry::StoneSquare(StonePosition stone, float scale) {
    const float left = (stone.x - kStoneRadius) * scale;
    const float top = (stone.y - kStoneRadius) * scale;
    const float side = kStoneSide * scale;
    return {left, top, side, side};
}

QPointF RinkGeometry::MarkerToViewB(std::uint16_t markerX, std::uint16_t markerY) {
    return {static_cast<float>(markerX) * kScaleB / kScaleA,
            static_cast<float>(markerY) * kScaleB / kScaleA};
}

QPointF RinkGeometry::ClientToSheet(int clientX, int clientY) {
    const double scale = kScaleA;
    return {(clientX - kViewAOrigin.x()) / scale, (clientY - kViewAOrigin.y()) / scale};
}

int RinkGeometry::OfferedZoom(int percent) {
    int best = 100;
    for (const int offered : kZoomPercents) {
        if (std::abs(offered - percent) < std::abs(best - percent)) {
            best = offered;
        }
    }
    return percent > 0 ? best : 100;
}

float RinkGeometry::ZoomFactor(int zoomPercent) {
    return static_cast<float>(zoomPercent) / 100.0f;
}

int RinkGeometry::Zoomed(int pixels, int zoomPercent) {
    if (zoomPercent == 100) {
        return pixels;
    }
    return static_cast<int>(std::lround(static_cast<double>(pixels) * zoomPercent / 100.0));
}

QPoint RinkGeometry::Zoomed(QPoint pixels, int zoomPercent) {
    return {Zoomed(pixels.x(), zoomPercent), Zoomed(pixels.y(), zoomPercent)};
}

QSize RinkGeometry::Zoomed(QSize pixels, int zoomPercent) {
    return {Zoomed(pixels.width(), zoomPercent), Zoomed(pixels.height(), zoomPercent)};
}

QRect RinkGeometry::Zoomed(const QRect& pixels, int zoomPercent) {
    // Corners one past the rectangle, so that adjoining rectangles still
    // adjoin.
    const QPoint topLeft = Zoomed(pixels.topLeft(), zoomPercent);
    const QPoint end = Zoomed(pixels.bottomRight() + QPoint(1, 1), zoomPercent);
    return {topLeft, end - QPoint(1, 1)};
}

QTransform RinkGeometry::ViewTransform(QSizeF viewSize, ViewOptions options) {
    const qreal zoom = ZoomFactor(options.zoomPercent);
    QTransform transform;
    transform.scale(zoom, zoom);
    if (options.flipped) {
        transform.translate(viewSize.width(), viewSize.height());
        transform.rotate(180.0);
    }
    return transform;
}

QPoint RinkGeometry::ShownToDescribedClient(QPoint shown, ViewOptions options) {
    if (options == ViewOptions{}) {
        return shown;
    }
    return {ShownToDescribedIndex(shown.x(), kViewAOrigin.x(), kViewAWidth, options),
            ShownToDescribedIndex(shown.y(), kViewAOrigin.y(), kViewAHeight, options)};
}

QPoint RinkGeometry::DescribedToShownClient(QPoint described, ViewOptions options) {
    if (options == ViewOptions{}) {
        return described;
    }
    return {DescribedToShownIndex(described.x(), kViewAOrigin.x(), kViewAWidth, options),
            DescribedToShownIndex(described.y(), kViewAOrigin.y(), kViewAHeight, options)};
}

} // namespace skerrow
