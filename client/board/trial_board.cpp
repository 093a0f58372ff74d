#include "trial_board.h"

#include "game_history.h"
#include "game_rules.h"
#include "match_numbers.h"

namespace skerrow {

namespace {

// The position a finished end (shotNumber 16) leads to: the next end, on an
// empty sheet, begun by the side that scored.
GameState NextEnd(const GameState& finished) {
    GameState next = finished;
    // The last stone was the second side's, so the other side began the end.
    const int firstColour = finished.turnFlag;
    const int redScore = finished.endScores[finished.currentEnd];
    const int endScore = firstColour == kRed ? redScore : -redScore;
    ClearSheet(next);
    next.shotNumber = 0;
    next.currentEnd = finished.currentEnd + 1;
    next.turnFlag = FirstToDeliverNext(firstColour, endScore);
    return next;
}

} // namespace

TrialBoard::TrialBoard(const BoardPhysics& physics, const GameState& start)
    : m_physics(physics), m_position(start) {}

const GameState& TrialBoard::positionBefore() const {
    return m_undo.empty() ? m_position : m_undo.back();
}

TrialBoard::Outcome TrialBoard::Play(ShotVec delivery, float randomSize) {
    if (m_physics.simulation == nullptr) {
        return {std::nullopt, Refusal::NoPhysics};
    }
    GameState before = m_position;
    if (before.shotNumber >= kStonesPerEnd) {
        before = NextEnd(before);
    }
    if (before.currentEnd >= before.lastEnd || before.currentEnd >= kEnds) {
        return {std::nullopt, Refusal::GameOver};
    }
    // The library counts the end for the side that delivered first in it.
    const int firstColour = ColourToDeliver(before.turnFlag, before.shotNumber);
    GameState state = before;
    ShotVec played{};
    if (m_physics.simulation(&state, delivery, randomSize, &played, -1) != 1) {
        return {std::nullopt, Refusal::ShotRefused};
    }
    GameState after = PositionAfterShot(before, state.stones);
    after.endScores[before.currentEnd] = RedScore(firstColour, state.endScores[before.currentEnd]);
    m_undo.push_back(m_position);
    m_position = after;
    return {played, std::nullopt};
}

TrialBoard::Outcome TrialBoard::PlayDraw(ShotPos target, float randomSize) {
    std::optional<ShotVec> planned;
    ShotVec shot{};
    if (m_physics.createShot != nullptr && m_physics.createShot(target, &shot) == 1) {
        planned = shot;
    }
    return PlayPlanned(planned, m_physics.createShot != nullptr, randomSize);
}

TrialBoard::Outcome TrialBoard::PlayHit(ShotPos target, float weight, float randomSize) {
    std::optional<ShotVec> planned;
    ShotVec shot{};
    if (m_physics.createHitShot != nullptr && m_physics.createHitShot(target, weight, &shot) == 1) {
        planned = shot;
    }
    return PlayPlanned(planned, m_physics.createHitShot != nullptr, randomSize);
}

TrialBoard::Outcome TrialBoard::PlayPlanned(std::optional<ShotVec> planned, bool entryPointThere,
                                            float randomSize) {
    if (!entryPointThere) {
        return {std::nullopt, Refusal::NoPhysics};
    }
    if (!planned) {
        return {std::nullopt, Refusal::TargetRefused};
    }
    return Play(*planned, randomSize);
}

bool TrialBoard::Undo() {
    if (m_undo.empty()) {
        return false;
    }
    m_position = m_undo.back();
    m_undo.pop_back();
    return true;
}

} // namespace skerrow
