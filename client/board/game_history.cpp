#include "game_history.h"

#include "match_numbers.h"

#include <algorithm>
#include <utility>

namespace skerrow {

GameState PositionAfterShot(const GameState& before, std::span<const StonePosition> stonesAfter) {
    GameState after = before;
    ClearSheet(after);
    PlaceStones(after, stonesAfter);
    after.shotNumber = std::min(before.shotNumber + 1, kStonesPerEnd);
    after.turnFlag = before.turnFlag == kRed ? kYellow : kRed;
    return after;
}

GameHistory::GameHistory(const GameState& start) : m_start(start) {}

void GameHistory::SetNames(std::string red, std::string yellow) {
    m_names = {std::move(red), std::move(yellow)};
}

const std::string& GameHistory::NameOf(int colour) const {
    return m_names[colour == kRed ? 0 : 1];
}

void GameHistory::Append(HistoryShot shot) {
    m_shots.push_back(std::move(shot));
}

bool GameHistory::ScoreLastShot(int redScore) {
    if (m_shots.empty()) {
        return false;
    }
    HistoryShot& last = m_shots.back();
    last.endScore = redScore;
    if (last.end >= 0 && last.end < kEnds) {
        last.after.endScores[last.end] = redScore;
    }
    return true;
}

const GameState& GameHistory::PositionAt(std::size_t index) const {
    index = std::min(index, m_shots.size());
    return index == 0 ? m_start : m_shots[index - 1].after;
}

const HistoryShot* GameHistory::viewedShot() const {
    const std::size_t index = viewIndex();
    return index == 0 ? nullptr : &m_shots[index - 1];
}

bool GameHistory::Previous() {
    const std::size_t index = viewIndex();
    return index > 0 && GoTo(index - 1);
}

bool GameHistory::Next() {
    return GoTo(viewIndex() + 1);
}

bool GameHistory::GoTo(std::size_t index) {
    if (index > m_shots.size()) {
        return false;
    }
    const std::size_t was = viewIndex();
    const bool wasLive = m_live;
    m_live = index == m_shots.size();
    m_view = index;
    return was != index || wasLive != m_live;
}

} // namespace skerrow
