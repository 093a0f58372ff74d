#include "shot_path.h"

#include "match_numbers.h"

namespace skerrow {

namespace {

struct Collector {
    int stone;
    std::vector<StonePosition>* path;
};

int TARNWICK_CALL OnFrame(void* user, int /*step*/, const GameState* frame) {
    auto* collector = static_cast<Collector*>(user);
    const StonePosition at = frame->stones[collector->stone];
    if (at.x == 0.0f && at.y == 0.0f) {
        return 0; // out of play: the rest of the shot does not move it
    }
    collector->path->push_back(at);
    return 1;
}

} // namespace

std::vector<StonePosition> ShotPath::Predict(PhysicsBinding::SimulationTraceFn trace,
                                             const GameState& start, ShotVec shot) {
    std::vector<StonePosition> path;
    if (trace == nullptr || start.shotNumber < 0 || start.shotNumber >= kStonesPerEnd) {
        return path;
    }
    GameState copy = start;
    Collector collector{start.shotNumber, &path};
    const int played = trace(&copy, shot, 0.0f, nullptr, &OnFrame, &collector);
    if (played == 1) {
        // The position at rest, which the last frame may not have reached.
        const StonePosition rest = copy.stones[start.shotNumber];
        if (rest.x != 0.0f || rest.y != 0.0f) {
            path.push_back(rest);
        }
    } else if (path.size() < 2) {
        // Refused, or out of play at once: nothing to draw.
        path.clear();
    }
    return path;
}

} // namespace skerrow
