#include "shot_simulation.h"

#include "ice.h"
#include "mt19937.h"
#include "shot_limits.h"

#include <box2d/b2_body.h>

#include <cmath>
#include <ctime>

namespace tarnwick {

DeliveryError SetDeliveryError(float randomSize) {
    const b2Vec2 offset = StraightDrawVelocity(kTeeX + randomSize, kTeeY + randomSize);
    const b2Vec2 tee = StraightDrawVelocity(kTeeX, kTeeY);
    return {offset.x - tee.x, offset.y - tee.y};
}

float NormalNoise(Mt19937& generator, float sigma) {
    float sum = -6.0f;
    for (int i = 0; i < 12; ++i) {
        sum = static_cast<float>(static_cast<double>(sum) + generator.Uniform());
    }
    return sum * sigma;
}

void SeedFromClock(Mt19937& generator) {
    const std::uint32_t key[1] = {static_cast<std::uint32_t>(std::time(nullptr))};
    generator.InitByArray(key);
}

void SeedFromNumber(Mt19937& generator, std::uint64_t seed) {
    const std::uint32_t key[2] = {static_cast<std::uint32_t>(seed),
                                  static_cast<std::uint32_t>(seed >> 32)};
    generator.InitByArray(key);
}

namespace {

bool IsNegativeZero(float value) {
    return value == 0.0f && std::signbit(value);
}

} // namespace

std::optional<ShotVec> DrawDelivery(ShotVec shot, float randomSize, ErrorSeed seed) {
    if (randomSize == 0.0f && !IsNegativeZero(shot.vx) && !IsNegativeZero(shot.vy)) {
        // The spread is 0, so each error is a zero, and adding a zero of
        // either sign leaves these components as they are: no generator needed.
        return WithinSpeedLimit(shot.vx, shot.vy) ? std::optional<ShotVec>(shot) : std::nullopt;
    }
    Mt19937 generator;
    if (seed) {
        SeedFromNumber(generator, *seed);
    } else {
        SeedFromClock(generator);
    }
    // A finite random size can still overflow the spread (above about 2.4e38
    // the distance to the offset point is infinite) or make the error so
    // large that the delivery leaves every limit.
    const DeliveryError error = SetDeliveryError(randomSize);
    const float e1 = NormalNoise(generator, error.sigmaX);
    const float e2 = NormalNoise(generator, error.sigmaY);
    const ShotVec played{shot.vx + e1, shot.vy + e2, shot.curl};
    if (!std::isfinite(error.sigmaX) || !std::isfinite(error.sigmaY) ||
        !WithinSpeedLimit(played.vx, played.vy)) {
        return std::nullopt;
    }
    return played;
}

void LoadStones(StoneWorld& world, const GameState& state) {
    StoneList& list = world.List();
    list.entries.fill(nullptr);
    list.count = state.shotNumber;
    for (int k = 0; k < state.shotNumber; ++k) {
        const StonePosition p = state.stones[k];
        if (InStoredPlayingArea(p)) {
            list.entries[k] = world.CreateStoneBody(p.x, p.y);
        }
    }
}

void DeliverStone(StoneWorld& world, ShotVec played) {
    StoneList& list = world.List();
    b2Body* body = world.CreateStoneBody(kDeliveryX, kDeliveryY);
    list.entries[list.count] = body;
    world.Launch(body, b2Vec2(played.vx, played.vy),
                 played.curl == 0 ? kDeliverySpin : -kDeliverySpin);
    ++list.count;
}

int CountEnd(const StoneWorld& world) {
    const StoneList& list = world.List();
    float distance[kStonesPerEnd] = {};
    float nearest[2] = {kCountingRadius, kCountingRadius}; // even side, odd side
    for (int k = 0; k < list.count; ++k) {
        const b2Body* body = list.entries[k];
        if (body == nullptr) {
            continue;
        }
        const b2Vec2 p = world.Position(body);
        distance[k] = Distance(p.x - kTeeX, p.y - kTeeY);
        if (distance[k] < nearest[k % 2]) {
            nearest[k % 2] = distance[k];
        }
    }
    if (nearest[0] == nearest[1]) {
        return 0;
    }
    // The side with the nearest stone counts its stones nearer than the other
    // side's nearest.
    const int side = nearest[0] < nearest[1] ? 0 : 1;
    const float limit = nearest[1 - side];
    int count = 0;
    for (int k = side; k < list.count; k += 2) {
        if (list.entries[k] != nullptr && distance[k] < limit) {
            ++count;
        }
    }
    return side == 0 ? count : -count;
}

void WriteShotResult(GameState& state, const StoneWorld& world) {
    const StoneList& list = world.List();
    for (int k = 0; k < kStonesPerEnd; ++k) {
        const b2Body* body = k < list.count ? list.entries[k] : nullptr;
        if (body != nullptr) {
            const b2Vec2 p = world.Position(body);
            state.stones[k] = {p.x, p.y};
        } else {
            state.stones[k] = {0.0f, 0.0f};
        }
    }
    const int delivered = list.count;
    state.endScores[state.currentEnd] = CountEnd(world);
    if (delivered == kStonesPerEnd) {
        state.shotNumber = 0;
        ++state.currentEnd;
        // The side to deliver first in the new end follows the sign of that
        // end's entry; an end not yet played has 0, which toggles the flag, so
        // the side that delivered first in the finished end does so again.
        const int next = state.currentEnd < kScoredEnds ? state.endScores[state.currentEnd] : 0;
        if (next > 0) {
            state.turnFlag = 1;
        } else if (next < 0) {
            state.turnFlag = 0;
        } else {
            state.turnFlag ^= 1;
        }
    } else {
        state.turnFlag ^= 1;
        state.shotNumber = delivered;
    }
}

bool IsPlayable(const GameState& state, ShotVec shot, float randomSize) {
    return state.shotNumber >= 0 && state.shotNumber < kStonesPerEnd && state.currentEnd >= 0 &&
           state.currentEnd < kScoredEnds && std::isfinite(randomSize) &&
           WithinSpeedLimit(shot.vx, shot.vy) && !StonesOverlapDeeply(state);
}

namespace {

// Hands the caller the record Simulation would write after each step count.
class FrameReporter final : public StepObserver {
public:
    FrameReporter(const GameState& start, const StoneWorld& world, SimulationFrameFn onFrame,
                  void* user)
        : m_start(start), m_world(world), m_onFrame(onFrame), m_user(user) {}

    bool BeforeStep(int step) override {
        GameState frame = m_start;
        WriteShotResult(frame, m_world);
        return m_onFrame(m_user, step, &frame) != 0;
    }

private:
    const GameState& m_start;
    const StoneWorld& m_world;
    SimulationFrameFn m_onFrame;
    void* m_user;
};

} // namespace

int PlayShot(StoneWorld& world, GameState& state, ShotVec shot, float randomSize, ErrorSeed seed,
             ShotVec* played, int steps, SimulationFrameFn onFrame, void* user) {
    const std::optional<ShotVec> actual = DrawDelivery(shot, randomSize, seed);
    if (!actual) {
        return 0;
    }
    LoadStones(world, state);
    DeliverStone(world, *actual);
    if (played != nullptr) {
        *played = *actual;
    }

    RunOutcome outcome;
    if (onFrame != nullptr) {
        FrameReporter reporter(state, world, onFrame, user);
        outcome = world.RunUntilRest(steps, &reporter);
    } else {
        outcome = world.RunUntilRest(steps);
    }
    const bool written =
        outcome == RunOutcome::StepLimitReached || (outcome == RunOutcome::AtRest && steps == -1);
    if (!written) {
        return 0;
    }
    WriteShotResult(state, world);
    return 1;
}

} // namespace tarnwick
