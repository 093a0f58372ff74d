#pragma once

// Shots tried on an opened position with no server: each delivery is played
// with the physics library on the board's position, and an undo stack gives
// back the positions before. Nothing here touches a match.
//
// Positions follow GameHistory's rules: an end's last stone leaves its
// stones on the board with shotNumber 16 and the end's result (positive when
// red scored); the next stone then starts the next end on an empty sheet,
// delivered first by the side that scored.

#include "board_physics.h"

#include <tarnwick/tarnwick.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace skerrow {

class TrialBoard {
public:
    // What a try gave: the delivery played, or why no shot was played.
    enum class Refusal {
        NoPhysics,     // the library's entry point is not there
        TargetRefused, // CreateShot or CreateHitShot refused the target
        ShotRefused,   // Simulation refused the position or the delivery
        GameOver,      // every end of the game has been played
    };
    struct Outcome {
        std::optional<ShotVec> played;
        std::optional<Refusal> refusal;
    };

    TrialBoard(const BoardPhysics& physics, const GameState& start);

    const GameState& position() const { return m_position; }
    // The position the last shot was played on, for its replay; the current
    // position while nothing was played.
    const GameState& positionBefore() const;

    // Plays `delivery` with a random error of `randomSize` (an offset at the
    // tee, in metres; 0 plays it exactly).
    Outcome Play(ShotVec delivery, float randomSize = 0.0f);
    // A draw to `target` planned with CreateShot, then played.
    Outcome PlayDraw(ShotPos target, float randomSize = 0.0f);
    // A shot through `target` at `weight`, as CreateHitShot takes them.
    Outcome PlayHit(ShotPos target, float weight, float randomSize = 0.0f);

    bool canUndo() const { return !m_undo.empty(); }
    std::size_t undoDepth() const { return m_undo.size(); }
    // Back to the position before the last shot; false when there is none.
    bool Undo();

private:
    Outcome PlayPlanned(std::optional<ShotVec> planned, bool entryPointThere, float randomSize);

    BoardPhysics m_physics;
    GameState m_position;
    std::vector<GameState> m_undo;
};

} // namespace skerrow
