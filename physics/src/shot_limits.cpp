#include "shot_limits.h"

#include "sheet.h"

#include <cmath>

namespace tarnwick {

bool WithinSpeedLimit(float vx, float vy) {
    if (!std::isfinite(vx) || !std::isfinite(vy)) {
        return false;
    }
    const double x = vx;
    const double y = vy;
    const double limit = kMaxShotSpeed;
    return x * x + y * y <= limit * limit;
}

bool WithinTargetArea(ShotPos target) {
    // Written so that NaN fails every comparison.
    return target.x >= kTargetMinX && target.x <= kTargetMaxX && target.y >= kTargetMinY &&
           target.y <= kTargetMaxY;
}

bool InStoredPlayingArea(StonePosition p) {
    return p.x > kStoredMinX && p.x < kStoredMaxX && p.y > kStoredMinY && p.y < kStoredMaxY;
}

bool StonesOverlapDeeply(const GameState& state) {
    const double limit = kMinStoneDistance;
    const int count = state.shotNumber < kStonesPerEnd ? state.shotNumber : kStonesPerEnd;
    for (int j = 1; j < count; ++j) {
        if (!InStoredPlayingArea(state.stones[j])) {
            continue;
        }
        for (int k = 0; k < j; ++k) {
            if (!InStoredPlayingArea(state.stones[k])) {
                continue;
            }
            const double dx = static_cast<double>(state.stones[j].x) - state.stones[k].x;
            const double dy = static_cast<double>(state.stones[j].y) - state.stones[k].y;
            if (dx * dx + dy * dy < limit * limit) {
                return true;
            }
        }
    }
    return false;
}

} // namespace tarnwick
