#include "rink_geometry.h"

namespace skerrow {

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

} // namespace skerrow
