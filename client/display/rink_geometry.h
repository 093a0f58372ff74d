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
#include <QRectF>

#include <cstdint>

namespace skerrow {

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
};

} // namespace skerrow
