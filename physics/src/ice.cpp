#include "ice.h"

#include "sheet.h"

#include <cmath>

namespace tarnwick {

namespace {

// In double precision no square of a float overflows, so the plain formula is
// exact enough and much cheaper than std::hypot.
double Length(float x, float y) {
    const double dx = x;
    const double dy = y;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

b2Vec2 FrictionAndCurl(float slice, float spin, b2Vec2 v) {
    const double d = slice;
    const double s = Length(v.x, v.y);
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
    const double scale = std::sqrt((ux * ux + uy * uy) / (px * px + py * py));
    return {static_cast<float>(px * scale), static_cast<float>(py * scale)};
}

float Distance(float x, float y) {
    return static_cast<float>(Length(x, y));
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
