#pragma once

// Every shot of one game in order, with the position before and after each,
// and a view that steps through the positions. A live game appends its shots
// while the user looks at an earlier position; the view follows the newest
// position only while it is "live".
//
// Positions are numbered 0 to shotCount(): 0 is the position the game (or the
// opened file) starts from, i is the position after shot i - 1. A position
// holds the end results as the board shows them (positive when red scored).
// The last stone of an end leaves a position with shotNumber 16 in that same
// end: the stones of the finished end as they lie, with its result.

#include "game_rules.h"

#include <tarnwick/tarnwick.h>

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace skerrow {

// One delivered stone.
struct HistoryShot {
    int end = 0;  // counted from 0
    int shot = 0; // the stone's number in its end, 0 to 15
    int colour = kRed;
    // The delivery the side asked for; none when it is not known (a stone
    // played for a side that sent none, or a log that lacks it).
    std::optional<ShotVec> asked;
    // The delivery played, random error included.
    ShotVec played{};
    GameState before{};
    GameState after{};
    // The end's result, positive when red scored, on the end's last stone
    // once the end is scored.
    std::optional<int> endScore;
};

// The position after a stone delivered on `before` that left `stonesAfter`:
// one stone more in the end, the other side to deliver. The last stone of an
// end keeps the end and sets shotNumber to 16.
GameState PositionAfterShot(const GameState& before, std::span<const StonePosition> stonesAfter);

class GameHistory {
public:
    GameHistory() : GameHistory(EmptySheet()) {}
    explicit GameHistory(const GameState& start);

    // Position 0: where the game (or the opened file) starts.
    void SetStart(const GameState& start) { m_start = start; }
    void SetNames(std::string red, std::string yellow);
    // The name of kRed or kYellow; empty when not known.
    const std::string& NameOf(int colour) const;

    // Adds the next shot. A live view moves on to the position after it.
    void Append(HistoryShot shot);
    // The last shot ended its end, which scored `redScore` (positive when red
    // scored): kept on the shot and in the position after it. False when
    // there is no shot.
    bool ScoreLastShot(int redScore);
    // How the game ended, e.g. "Game 1: A 5 - 3 B (A wins)".
    void SetResult(std::string text) { m_result = std::move(text); }
    const std::optional<std::string>& result() const { return m_result; }

    std::size_t shotCount() const { return m_shots.size(); }
    const HistoryShot& shotAt(std::size_t index) const { return m_shots.at(index); }
    std::size_t positionCount() const { return m_shots.size() + 1; }
    // Position `index` as numbered above; out of range is clamped to the last.
    const GameState& PositionAt(std::size_t index) const;

    // The view.
    std::size_t viewIndex() const { return m_live ? m_shots.size() : m_view; }
    bool isLive() const { return m_live; }
    const GameState& view() const { return PositionAt(viewIndex()); }
    // The shot that led to the position on view; null at position 0.
    const HistoryShot* viewedShot() const;
    // Each returns false when the view did not move. Reaching the last
    // position makes the view live again.
    bool First() { return GoTo(0); }
    bool Last() { return GoTo(m_shots.size()); }
    bool Previous();
    bool Next();
    bool GoTo(std::size_t index);

private:
    GameState m_start;
    std::vector<HistoryShot> m_shots;
    std::array<std::string, 2> m_names;
    std::optional<std::string> m_result;
    std::size_t m_view = 0;
    bool m_live = true;
};

} // namespace skerrow
