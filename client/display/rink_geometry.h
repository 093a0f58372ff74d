#pragma once

// Where the sheet lies in the two rink views and in the main window.
//
// Both views put sheet point (0, 0) at the top-left pixel of their background
// image, x to the right and y downwards, with no offset, rotation or mirroring
// inside a view. Lengths on the sheet are in metres; positions in a view are
// in pixels relative to the view's top-left corner; client pixels are relative
// to the main window's client area.

#include "match_numbers.h"

#include <tarnwick/tarnwick.h>

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QTransform>

#include <array>
#include <cstdint>

namespace skerrow {

// How the window shows the views: upside down or not, and how large.
//
// Flipped turns a whole view by half a turn (the house at the bottom, as
// seen from the delivery end): the sheet is not mirrored, so a stone still
// curls the way it does on the ice. The zoom scales the window and its
// views; at 100 % and not flipped every pixel is where the layout puts it.
struct ViewOptions {
    bool flipped = false;
    int zoomPercent = 100; // one of RinkGeometry::kZoomPercents

    friend bool operator==(const ViewOptions&, const ViewOptions&) = default;
};

class RinkGeometry {
public:
    RinkGeometry() = delete;

    // Scales, in pixels per metre of the sheet. Both are used as the float
    // values, so that every pixel position matches across the program.
    static constexpr float kScaleA = 49.89474f; // view A: 4.75 m fill 237 pixels
    static constexpr float kScaleB = 13.26318f; // view B: 4.75 m fill 63 pixels

    // Top-left corners of the views in the main window's client area, in
    // pixels: dialog units (48, 24) and (6, 24) at 1.75 by 1.5 pixels each.
    static constexpr QPoint kViewAOrigin{84, 36};
    static constexpr QPoint kViewBOrigin{11, 36};

    // The inner rings of the house, in metres (the outer one is
    // kHouseRadius); only drawn.
    static constexpr float kEightFootRadius = 1.22f;
    static constexpr float kFourFootRadius = 0.61f;
    static constexpr float kButtonRadius = 0.15f;
    // Side of the square a stone is drawn into, in metres.
    static constexpr float kStoneSide = 2.0f * kStoneRadius;

    // Pixel of sheet point (x, y) in a view of the given scale (pixels per
    // metre); the product is taken in float.
    static QPointF SheetToView(float x, float y, float scale);
    static QPointF SheetToViewA(float x, float y) { return SheetToView(x, y, kScaleA); }
    static QPointF SheetToViewB(float x, float y) { return SheetToView(x, y, kScaleB); }

    // The square a stone centred on `stone` is drawn into, in pixels of a view
    // of the given scale: corner ((x - 0.145)·s, (y - 0.145)·s), side 0.29·s,
    // all in float.
    static QRectF StoneSquare(StonePosition stone, float scale);

    // The delivery point in a view of the given scale, in pixels.
    static QPointF DeliveryPoint(float scale) { return SheetToView(kDeliveryX, kDeliveryY, scale); }

    // An aim marker, given in view-A pixels, in view-B pixels:
    // (mx·13.26318/49.89474, my·13.26318/49.89474), in float.
    static QPointF MarkerToViewB(std::uint16_t markerX, std::uint16_t markerY);

    // The sheet point under client pixel (cx, cy) of the main window, in
    // metres: ((cx - 84) / 49.89474, (cy - 36) / 49.89474), in double from the
    // float scale.
    static QPointF ClientToSheet(int clientX, int clientY);

    // The zooms the window offers, in per cent: 75 % fits the window on a
    // screen 768 pixels high, the larger ones suit sharp screens.
    static constexpr std::array<int, 5> kZoomPercents{75, 100, 125, 150, 200};
    // The nearest offered zoom to `percent` (100 for anything unusable), so
    // that a stored preference never sets a size the window was not laid
    // out for.
    static int OfferedZoom(int percent);
    // The factor of a zoom in per cent: 1.25 for 125.
    static float ZoomFactor(int zoomPercent);
    // The views' scales at a zoom, in pixels per metre on the screen:
    // kScaleA · zoom and kScaleB · zoom, in float.
    static float ScaleA(int zoomPercent) { return kScaleA * ZoomFactor(zoomPercent); }
    static float ScaleB(int zoomPercent) { return kScaleB * ZoomFactor(zoomPercent); }
    // A length or position of the layout, in client pixels, at a zoom: the
    // product rounded to the nearest pixel (exact at 100 %).
    static int Zoomed(int pixels, int zoomPercent);
    static QPoint Zoomed(QPoint pixels, int zoomPercent);
    static QSize Zoomed(QSize pixels, int zoomPercent);
    // A rectangle of the layout at a zoom: its corners zoomed, so that
    // neighbours stay neighbours.
    static QRect Zoomed(const QRect& pixels, int zoomPercent);

    // Maps a point of a view as the layout describes it (in that view's
    // pixels, house at the top, at 100 %) to the view as shown with
    // `options`. `viewSize` is the view's size at 100 %. Identity at 100 %
    // unflipped.
    static QTransform ViewTransform(QSizeF viewSize, ViewOptions options);

    // The client pixel of the described layout (100 %, not flipped) that
    // shows what client pixel `shown` shows in view A with `options`: the
    // mouse aiming is written for the described layout, so every press and
    // move on view A goes through here first. Points outside view A are
    // mapped by the same rule, so that a drag past the view's edge still
    // stops at the nearest edge of the sheet. Identity at 100 % unflipped.
    static QPoint ShownToDescribedClient(QPoint shown, ViewOptions options);
    // The reverse for a pixel of view A: where the described client pixel
    // `described` is shown (the top-left pixel of its block when zoomed).
    static QPoint DescribedToShownClient(QPoint described, ViewOptions options);
};

} // namespace skerrow
