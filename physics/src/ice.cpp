#include "ice.h"

#include "sheet.h"

#include <cmath>

namespace tarnwick {

b2Vec2 FrictionAndCurl(float slice, float spin, b2Vec2 v) {
    const double d = slice;
    const double s = std::hypot(static_cast<double>(v.x), static_cast<double>(v.y));
    if (s <= d) {
        return {0.0f, 0.0f};
    }
    const double nx = v.x / s;
    const double ny = v.y / s;
    const double ux = v.x - d * nx;
    const double uy = v.y - d * ny;
    if (spin == 0.0f) {
        return {static_cast<float>(ux), static_cast<float>(uy)};
    }
    // Sideways part perpendicular to the motion, to its left for positive spin.
    const double k = (spin > 0.0f ? 1.0 : -1.0) * static_cast<double>(kCurlFactor) * d;
    const double px = ux - k * ny;
    const double py = uy + k * nx;
    const double scale = std::hypot(ux, uy) / std::hypot(px, py);
    return {static_cast<float>(px * scale), static_cast<float>(py * scale)};
}

float Distance(float x, float y) {
    return static_cast<float>(std::hypot(static_cast<double>(x), static_cast<double>(y)));
}

b2Vec2 StraightDrawVelocity(float x, float y) {
    const float dx = x - kDeliveryX;
    const float dy = y - kDeliveryY;
    const float length = Distance(dx, dy);
    if (length == 0.0f) {
        return {0.0f, 0.0f};
    }
    const float speed = static_cast<float>(
        std::sqrt(2.0 * static_cast<double>(kIceDeceleration) * static_cast<double>(length)));
    return {static_cast<float>(static_cast<double>(speed) * dx / length),
            static_cast<float>(static_cast<double>(speed) * dy / length)};
}

} // namespace tarnwick
